#!/bin/sh
# compile-shader.sh PROFILE ENTRY SOURCE OUTPUT: one shader program from HLSL to DXBC with the
# project's compiler (vkd3d-compiler, installed by setup.sh) and the build's options, for
# demo-sync's live shaders. Writes OUTPUT on success, OUTPUT.log (the compiler's messages) and,
# last, OUTPUT.done (the exit status): a Windows program under Wine that starts this command
# cannot wait for it, so it waits for that file.
profile=$1 entry=$2 source=$3 output=$4
here=$(cd "$(dirname "$0")/.." && pwd)
compiler="$("$here/scripts/toolchain-dir.sh")/vkd3d/vkd3d-compiler"
# vkd3d-compiler resolves #include against its working folder, not the source's.
(cd "$(dirname "$source")" &&
  "$compiler" -x hlsl -p "$profile" -e "$entry" -b dxbc-tpf -o "$output.part" "$source") >"$output.log" 2>&1
status=$?
[ "$status" = 0 ] && mv -f "$output.part" "$output"
rm -f "$output.part"
echo "$status" >"$output.done.part" && mv -f "$output.done.part" "$output.done"
