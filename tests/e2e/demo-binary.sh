#!/usr/bin/env bash
# tests/e2e/demo-binary.sh DEMO.exe: demo.exe is one self-contained GUI program (no console,
# no compiler runtime DLLs beside it) that carries icon group 101 with a 16 x 16 and a
# 32 x 32 image at 8 bits per pixel.
set -u
demo=$1
failures=0
expect() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
headers=$(x86_64-w64-mingw32-objdump -p "$demo")
resources=$(x86_64-w64-mingw32-windres -i "$demo" -O rc)

expect "GUI subsystem (no console window)" grep -q 'Subsystem.*(Windows GUI)' <<<"$headers"
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
echo "imports: $dlls"
system='^(kernel32|user32|gdi32|advapi32|ole32|msvcrt|d3d11|dxgi|dcomp|winmm)\.dll$'
for dll in $dlls; do
  expect "$dll is part of the system" grep -Eq "$system" <<<"$dll"
done
group=$(grep -A8 '^101 14 ' <<<"$resources")
expect "icon group 101" [ -n "$group" ]
expect "two images" grep -q 'Has 2 elements' <<<"$group"
expect "16 x 16 at 8 bits" grep -Fq '"\020\020\000\000", 1, 8,' <<<"$group"
expect "32 x 32 at 8 bits" grep -Fq '"\040\040\000\000", 1, 8,' <<<"$group"
[ "$failures" = 0 ]
