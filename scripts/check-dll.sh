#!/bin/bash
# Checks that a DLL imports only system DLLs and prints what it exports.
#   check-dll.sh OBJDUMP DLL [EXPORT...]   (each EXPORT must be present, undecorated)
set -euo pipefail
objdump=$1
dll=$2
shift 2
allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|ntdll|msvcrt|ucrtbase|version|uxtheme|api-ms-win-crt-[a-z0-9-]+)\.dll$'
dump=$("$objdump" -p "$dll")
status=0
while read -r name; do
    if [[ ! ${name,,} =~ $allowed ]]; then
        echo "not a system DLL: $name"
        status=1
    fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
echo "imports: $(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr '\n' ' ')"
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF;next} t{t=0}' <<<"$dump")
echo "exports: $(tr '\n' ' ' <<<"$exports")"
for want in "$@"; do
    if ! grep -qx "$want" <<<"$exports"; then
        echo "missing export: $want"
        status=1
    fi
done
exit $status
