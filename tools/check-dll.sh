#!/usr/bin/env bash
# Checks the built add-in against what a Windows XP process can load: a 32-bit DLL whose export
# table holds exactly DllCanUnloadNow, DllGetClassObject, DllRegisterServer and
# DllUnregisterServer, by name, with ordinals 1 to 4, and whose imports are all named in the
# allowlist of functions that Windows XP's own DLLs provide.
#   check-dll.sh DLL [ALLOWLIST]    (default allowlist: tools/xp-imports.txt)
set -euo pipefail

dll=$1
allowlist=${2:-$(dirname "${BASH_SOURCE[0]}")/xp-imports.txt}
status=0
problem() { echo "check-dll: $*" >&2; status=1; }

# Functions that came after Windows XP, refused even when someone lists them.
newer='InitOnce|GetTickCount64|ConditionVariable|SRWLock|^Fls|Ex2$|_s$|RegDeleteTree|RegGetValue|LocaleName|CompareStringOrdinal|GetFinalPathNameByHandle|CreateSymbolicLink|CancelIoEx|QueryFullProcessImageName|InitializeCriticalSectionEx|Create(Event|Mutex|Semaphore)Ex|FileInformationByHandle|ThreadErrorMode|^Wer'

dump=$(i686-w64-mingw32-objdump -p "$dll")
grep -q 'file format pei-i386' <<<"$dump" || problem "$dll is not a 32-bit Windows image"
grep -q '^Magic.*(PE32)$' <<<"$dump" || problem "$dll is not PE32"

# Exports: the counts of the address and name tables, the ordinal base, and each name with its
# ordinal (older objdumps print the index from the base, newer ones the ordinal itself).
exports=$(awk '
  /^\tExport Address Table[ \t]+[0-9a-f]+$/ && !addresses { addresses = $NF }  # the count, not the address
  /^\t\[Name Pointer\/Ordinal\] Table[ \t]+[0-9a-f]+$/ { names = $NF }
  /^Export Address Table -- Ordinal Base/ { base = $NF }
  /^\[Ordinal\/Name Pointer\] Table/ { inNames = 1; printed = ($0 ~ /Ordinal Base/); next }
  inNames && /^\t\[/ { gsub(/[\[\]]/, " "); print ($1 + (printed ? 0 : base)) " " $2; next }
  inNames { inNames = 0 }
  END { print "addresses " addresses; print "names " names }' <<<"$dump")
expected_exports='1 DllCanUnloadNow
2 DllGetClassObject
3 DllRegisterServer
4 DllUnregisterServer
addresses 00000004
names 00000004'
if [ "$exports" != "$expected_exports" ]; then
  problem "exports differ from the four COM server functions:"
  diff <(echo "$expected_exports") <(echo "$exports") >&2 || true
fi

# Imports: "dll function" per line, the DLL name in lower case.
imports=$(awk '
  /^\tDLL Name: / { dll = tolower($3); next }
  dll && /^\tvma:/ { next }
  dll && /^\t[0-9a-f]+\t/ { print dll " " $NF; next }
  dll && /^$/ { dll = "" }' <<<"$dump")
[ -n "$imports" ] || problem "no imports found in $dll"
allowed=$(grep -v '^#' "$allowlist" | grep -v '^$')
while read -r name function; do
  if grep -Eq "$newer" <<<"$function"; then
    problem "allowlist names $name $function, which Windows XP does not have"
  fi
done <<<"$allowed"
while read -r name function; do
  grep -Fxq "$name $function" <<<"$allowed" || problem "import not in $allowlist: $name $function"
done <<<"$imports"

[ $status -eq 0 ] && echo "check-dll: $dll exports the four functions and imports $(wc -l <<<"$imports") allowed functions"
exit $status
