#!/usr/bin/env bash
# imports_test.sh OBJDUMP OBJCOPY --setup SETUP BINARY...: fails on any DLL a shipped
# binary imports that the loader would look for in the binary's own folder first, where
# a copy planted beside it (a portable copy in Downloads, the setup itself) would win.
# The setup's stub is also the uninstaller; it sets its own search order at run time.
set -u
objdump=$1 objcopy=$2 setup=$4
shift 4

# Windows 10 KnownDLLs that these binaries use: always taken from System32.
known=(advapi32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi user32)
# Not a KnownDLL: taken from WinSxS only when the manifest names the version 6 assembly.
common_controls='name="Microsoft.Windows.Common-Controls"' version_6='version="6\.'

failed=0
fail() { echo "FAILED: $*"; failed=1; }
rsrc=$(mktemp) && trap 'rm -f "$rsrc"' EXIT

for file in "$setup" "$@"; do
  imports=$("$objdump" -p "$file") || { fail "$file: not read"; continue; }
  for dll in $(sed -n 's/^\s*DLL Name: //p' <<<"$imports" | tr 'A-Z' 'a-z'); do
    [[ " ${known[*]} " == *" ${dll%.dll} "* ]] && continue
    if [ "$dll" = comctl32.dll ] && "$objcopy" -O binary --only-section=.rsrc "$file" "$rsrc" &&
        LC_ALL=C tr -s '\r\n\t ' ' ' <"$rsrc" | LC_ALL=C grep -a -o '<dependentAssembly> *<assemblyIdentity [^>]*>' |
        grep -F "$common_controls" | grep -q "$version_6"; then
      continue
    fi
    fail "$file imports $dll, which a planted copy beside it would replace"
  done
  if [ "$file" != "$setup" ] && [[ $file == *.exe ]] && ! grep -q ' SetDefaultDllDirectories$' <<<"$imports"; then
    fail "$file does not keep the DLLs it loads later to System32 (SetDefaultDllDirectories)"
  fi
done
exit $failed
