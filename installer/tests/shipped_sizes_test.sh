#!/usr/bin/env bash
# shipped_sizes_test.sh CMAKE OBJDUMP ZIP NAME=BYTES...: fails when a binary of the
# portable zip is missing, carries debug sections, names no file of its debug
# information, or is larger than its budget. Its size is printed either way.
set -u
cmake=$1 objdump=$2 zip=$(realpath "$3")
shift 3
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
(cd "$work" && "$cmake" -E tar xf "$zip") || { echo "FAILED: $zip not read"; exit 1; }

failed=0
fail() { echo "FAILED: $*"; failed=1; }
for entry in "$@"; do
  name=${entry%=*} budget=${entry##*=}
  file=$(find "$work" -type f -name "$name")
  [ -n "$file" ] || { fail "$name is not in the zip"; continue; }
  size=$(stat -c %s "$file")
  echo "$name: $size bytes of $budget"
  [ "$size" -le "$budget" ] || fail "$name is over its budget"
  sections=$("$objdump" -h "$file" | awk '{ print $2 }')
  debug=$(grep -E '^\.z?debug' <<<"$sections" | tr '\n' ' ')
  [ -z "$debug" ] || fail "$name carries $debug"
  grep -qx '\.gnu_debuglink' <<<"$sections" || fail "$name names no debug information"
done
exit $failed
