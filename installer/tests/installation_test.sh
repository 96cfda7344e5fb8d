#!/usr/bin/env bash
# installation_test.sh SOURCE BUILD SETUP HOST: in a fresh prefix, a silent
# install checked by HOST (installed_product_tests.exe), its uninstall command;
# then install, upgrade and uninstall while a process holds the handler, and a
# restart. After each the registry and the drive must be as before the first install.
# Last, an install clicked through to the finish page's run box, and its uninstall.
set -euo pipefail
source=$1 build=$2 setup=$3 host=$4
export WINE_ENV_PREFIX=installer-prefix
eval "$("$source/scripts/wine-env" "$build" --env)"
work=$build/installer-test
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# Only this prefix's processes, left over from an earlier run.
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$HOME" "$work"
mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info" "$work"
wine wineboot -i >/dev/null 2>&1
# No window manager on the test display: windows close without waiting for one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w

# Left out of the comparison, as they change on their own:
# - the time stamps Wine's registry writes beside every key (";" lines and #time);
# - the display adapter and monitor classes, which Wine's display driver writes
#   anew whenever the prefix starts;
# - the empty folder in the user's temporary folder from which the uninstaller's
#   copy of itself ran (it cannot remove the folder it runs from).
volatile='^\[HKEY_LOCAL_MACHINE.System.CurrentControlSet.Control.Class.\{4D36E96[8E]-E325-11CE-BFC1-08002BE10318\}'
snapshot() {
  local dir=$work/$1 hive
  mkdir -p "$dir"
  for hive in HKLM HKCU HKCR; do
    wine reg export "$hive" "Z:${dir//\//\\}\\$hive.reg" /y >/dev/null 2>&1 &
  done
  wait
  for hive in HKLM HKCU HKCR; do
    iconv -f UTF-16LE -t UTF-8 "$dir/$hive.reg" | tr -d '\r' |
      grep -v -E '^(;|#time=)' | skip=$volatile awk '/^\[/ { out = $0 !~ ENVIRON["skip"] } out' >"$dir/$hive.txt"
  done
  (cd "$WINEPREFIX/drive_c" && find . ! -path './users/*/Temp/~nsu*.tmp' | LC_ALL=C sort) \
    >"$dir/files.txt"
}

same_as_before() {
  snapshot "$1"
  local name
  for name in HKLM HKCU HKCR files; do
    diff -u "$work/before/$name.txt" "$work/$1/$name.txt" >"$work/$1/$name.diff" ||
      { fail "$1: $name changed"; head -40 "$work/$1/$name.diff"; }
  done
}

installed() {  # FILTER WHAT: the host's tests, what failed if they do
  wine "$host" --gtest_brief=1 --gtest_filter="$1" || fail "$2"
}

install() {
  wine "$setup" /S || fail "setup /S ended with $?"
}

snapshot before

install
filter=Installed.FilesAndRecordsAreInPlace
[ -n "${DISPLAY:-}" ] && filter=$filter:Installed.ExplorersCommandStartsTheInstalledWizardWithTheSelection
installed "$filter" "first install"
installed Installed.UninstallsQuietly "uninstall"
wineserver -w
same_as_before after-uninstall

install
QELWIPE_SETUP="Z:${setup//\//\\}" installed Installed.UpgradeAndUninstallWhileExplorerHoldsTheHandler \
  "upgrade and uninstall while the handler is held"
wineserver -w
# The restart that removes what was held.
wine wineboot -r >/dev/null 2>&1
wineserver -w
same_as_before after-restart

# Clicked through on the display; the wizard it starts may leave settings behind, so last.
if [ -n "${DISPLAY:-}" ]; then
  QELWIPE_SETUP="Z:${setup//\//\\}" installed Installed.FinishPageStartsTheWizardThroughTheShell \
    "the finish page's run box"
fi

exit $failed
