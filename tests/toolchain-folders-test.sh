#!/usr/bin/env bash
# toolchain-folders-test.sh SOURCE_DIR: which folder of the private toolchain is in use
# (scripts/vulkan-tools.sh) and where scripts/setup.sh puts a version it unpacked, on fake
# folders in a scratch toolchain directory (no network). A version other than the pin never
# takes the pin's folder and is always reported.
set -u
src=$1
tools=$(mktemp -d /tmp/nimbra-toolchain.XXXXXX)
trap 'rm -rf "$tools"' EXIT
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: '$3', expected '$2'"; failures=$((failures + 1)); fi
}
# unpacked FOLDER [VERSION]: a ready folder; with VERSION, as setup now records it, without
# only a Debian changelog, as older setups left it.
unpacked() {
  mkdir -p "$tools/$1/root/usr/share/doc/dxvk-wine64"
  echo "dxvk (2.6+ds-1) unstable; urgency=medium" | gzip > "$tools/$1/root/usr/share/doc/dxvk-wine64/changelog.Debian.gz"
  [ -z "${2:-}" ] || echo "$2" > "$tools/$1/version"
  touch "$tools/$1/ready"
}
pick() { (export NIMBRA_TOOLCHAIN_DIR=$tools; source "$src/scripts/vulkan-tools.sh"; echo "${dxvkDir#$tools/} $dxvkVersion"); }
report() { (export NIMBRA_TOOLCHAIN_DIR=$tools; source "$src/scripts/vulkan-tools.sh"; toolchainReport | grep DXVK); }
# settle VERSION: setup's last step for a fresh unpack of VERSION; prints the folder and what it warned.
settle() {
  (export NIMBRA_TOOLCHAIN_DIR=$tools; source "$src/scripts/vulkan-tools.sh"
   mkdir -p "$tools/.dxvk-unpacking/root" && echo "$1" > "$tools/.dxvk-unpacking/version"
   toolSettle dxvk "$dxvkPin" "$tools/.dxvk-unpacking" 2> "$tools/warned"
   echo "${toolSettled#$tools/} $(cat "$toolSettled/version") warned=$(grep -c WARNING "$tools/warned")")
}

check "nothing unpacked: the pin's folder, for setup to fill" "dxvk-2.6+ds-1 2.6+ds-1" "$(pick)"
settle 2.7-1 > "$tools/out"
check "the pin gone: the current version under its own name, warned of" "dxvk-2.7-1 2.7-1 warned=5" "$(cat "$tools/out")"
check "the fallback is recorded" "2.7-1" "$(cat "$tools/dxvk.fallback")"
touch "$tools/dxvk-2.7-1/ready"
check "the fallback in use while the pin is missing" "dxvk-2.7-1 2.7-1" "$(pick)"
check "the fallback is reported, not the pin" "toolchain: WARNING: DXVK 2.7-1, NOT the pinned 2.6+ds-1 ($tools/dxvk-2.7-1)" "$(report)"
settle 1:2.8-1 > "$tools/out"
check "an epoch's colon stays out of the path" "dxvk-1%3a2.8-1 1:2.8-1 warned=5" "$(cat "$tools/out")"
touch "$tools/dxvk-1%3a2.8-1/ready"
unpacked dxvk-2.6+ds-1
check "a pin unpacked by an older setup is in use, before any fallback" "dxvk-2.6+ds-1 2.6+ds-1" "$(pick)"
check "its version read from its changelog" "toolchain: DXVK 2.6+ds-1 (pinned)" "$(report)"
rm -rf "$tools/dxvk-2.6+ds-1"
settle 2.6+ds-1 > "$tools/out"
check "the pin unpacked: its own folder, no warning" "dxvk-2.6+ds-1 2.6+ds-1 warned=0" "$(cat "$tools/out")"
check "the fallback record goes with it" "no" "$([ -f "$tools/dxvk.fallback" ] && echo yes || echo no)"
# The Dear ImGui sources: reported like the tools, and CMake's folder is the one with imgui.cpp.
imgui() { (export NIMBRA_TOOLCHAIN_DIR=$tools; source "$src/scripts/vulkan-tools.sh"
           echo "$(toolchainReport | grep 'Dear ImGui') ${imguiSources#$tools/}"); }
pin=$(export NIMBRA_TOOLCHAIN_DIR=$tools; source "$src/scripts/vulkan-tools.sh"; echo "$imguiPin")
check "the ImGui sources not unpacked: reported so" \
  "toolchain: Dear ImGui sources: not unpacked in $tools/imgui-$pin imgui-$pin/source" "$(imgui)"
mkdir -p "$tools/imgui-$pin/source" && echo "$pin" > "$tools/imgui-$pin/version" && touch "$tools/imgui-$pin/ready"
check "the ImGui sources unpacked: the pin, reported" "toolchain: Dear ImGui sources $pin (pinned) imgui-$pin/source" "$(imgui)"
[ "$failures" = 0 ]
