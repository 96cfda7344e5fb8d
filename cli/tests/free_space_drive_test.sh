#!/usr/bin/env bash
# free_space_drive_test.sh BUILD_DIR QELWIPE_CLI: qelwipe-cli.exe --free-space over a drive
# of the build's prefix that is a 64 MiB tmpfs mounted for the test alone; skipped (77)
# where no file system can be mounted. Never run over any other drive.
set -uo pipefail
build=$1 cli=$2 env=$(dirname "$0")/../../scripts/wine-env
mnt=$build/free-space-drive link=$build/wineprefix/dosdevices/q:
mkdir -p "$mnt"
mount -t tmpfs -o size=64m qelwipe-test "$mnt" 2>/dev/null || { echo "no tmpfs can be mounted here: skipped"; exit 77; }
trap 'rm -f "$link"; umount "$mnt"; rmdir "$mnt"' EXIT
ln -sfn "$(cd "$mnt" && pwd)" "$link"
printf 'kept as it is' > "$mnt/keep.txt"
before=$(df --output=avail -B1 "$mnt" | tail -1)
out=$("$env" "$build" "$cli" --free-space Q: --yes --json) rc=$?
after=$(df --output=avail -B1 "$mnt" | tail -1)
fail=0
check() { "$@" || { echo "FAILED: $*"; fail=1; }; }
check [ "$rc" = 0 ]
check grep -q '"status":"erased","code":0,"written":[1-9]' <<<"$out"
check grep -q '"unfilled":0,"removed":true' <<<"$out"
check [ "$before" = "$after" ]
check [ "$(ls -A "$mnt")" = keep.txt ]
check [ "$(cat "$mnt/keep.txt")" = "kept as it is" ]
[ $fail = 0 ] || echo "$out"
exit $fail
