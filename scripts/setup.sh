#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12. Safe to re-run:
# packages already present and the private tools are skipped.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

packages=(cmake make g++ clang clang-format-14 libclang-rt-14-dev g++-mingw-w64-x86-64-posix mingw-w64-tools
          wine64 wine xvfb pulseaudio pulseaudio-utils xdotool imagemagick libstb-dev libx11-dev
          libgtest-dev googletest ffmpeg sox python3 dpkg-dev ninja-build libgl1-mesa-dri libvulkan1)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

tools=$("$here/scripts/toolchain-dir.sh")
mirror=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 | awk '{print $2}')
if [ -z "$mirror" ]; then
  mirror=$(grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | head -n1 | awk '{print $2}')
fi

# privateDebs DIR SUITE PACKAGE[=VERSION]...: unpacks Debian packages of SUITE into DIR/root
# through an apt list of its own, so that the system's packages are never touched, and writes
# the version of the first package to DIR/version. A pinned version the mirror no longer
# carries is replaced by the suite's current one, with a warning (toolSettle then names the
# folder for the version unpacked).
privateDebs() {
  local dir=$1 suite=$2
  shift 2
  rm -rf "$dir"
  mkdir -p "$dir/lists/partial" "$dir/debs" "$dir/root"
  echo "deb $mirror $suite main" > "$dir/sources.list"
  local o=(-oDir::State::Lists="$dir/lists" -oDir::Etc::SourceList="$dir/sources.list"
           -oDir::Etc::SourceParts=/dev/null -oAPT::Sandbox::User=root)
  apt-get "${o[@]}" update -q
  local p
  for p in "$@"; do
    if ! (cd "$dir/debs" && apt-get "${o[@]}" download "$p"); then
      echo "setup: WARNING: $p is no longer on $mirror ($suite); taking ${p%%=*} as it is now" >&2
      (cd "$dir/debs" && apt-get "${o[@]}" download "${p%%=*}")
    fi
  done
  local first=${1%%=*}
  dpkg-deb -f "$(ls "$dir"/debs/"${first}"_*.deb | head -n1)" Version > "$dir/version"
  for f in "$dir"/debs/*.deb; do dpkg-deb -x "$f" "$dir/root"; done
  rm -rf "$dir/lists" "$dir/debs"
}

# privateSource DIR SUITE PACKAGE PIN SHA256: the source package PACKAGE=PIN of SUITE (or, with a
# warning, its current version) unpacked into DIR/source by dpkg-source, which checks every file
# against the package's .dsc and applies Debian's patches; nothing is built or installed. The
# pin's upstream tarball must have SHA256, else nothing is unpacked and setup stops. Writes the
# version unpacked to DIR/version.
privateSource() {
  local dir=$1 suite=$2 package=$3 pin=$4 sha256=$5
  rm -rf "$dir"
  mkdir -p "$dir/lists/partial" "$dir/download"
  echo "deb-src $mirror $suite main" > "$dir/sources.list"
  local o=(-oDir::State::Lists="$dir/lists" -oDir::Etc::SourceList="$dir/sources.list"
           -oDir::Etc::SourceParts=/dev/null -oAPT::Sandbox::User=root)
  apt-get "${o[@]}" update -q
  if ! (cd "$dir/download" && apt-get "${o[@]}" source --download-only "$package=$pin"); then
    echo "setup: WARNING: the $package $pin sources are no longer on $mirror ($suite); taking $package as it is now" >&2
    (cd "$dir/download" && apt-get "${o[@]}" source --download-only "$package")
  fi
  local dsc upstream
  dsc=$(ls "$dir"/download/"${package}"_*.dsc | head -n1)
  sed -n 's/^Version: //p' "$dsc" > "$dir/version"
  upstream=$(ls "$dir"/download/"${package}"_*.orig.tar.* | head -n1)
  if [ "$(cat "$dir/version")" = "$pin" ]; then
    if ! echo "$sha256  $upstream" | sha256sum --check --quiet; then
      echo "setup: ERROR: ${upstream##*/} does not have the pinned SHA-256 $sha256; nothing unpacked" >&2
      rm -rf "$dir"
      return 1
    fi
    echo "setup: ${upstream##*/}: the pinned SHA-256"
  else
    echo "setup: WARNING: ${upstream##*/} is not the pin: its SHA-256 is checked only against its own .dsc" >&2
  fi
  dpkg-source --no-copy -x "$dsc" "$dir/source"
  rm -rf "$dir/lists" "$dir/download"
}

# unpackTool NAME PIN SUITE PACKAGE: PACKAGE=PIN of SUITE (or, with a warning, its current
# version) into the folder named for the version unpacked; sets toolSettled to that folder.
unpackTool() {
  local staging="$tools/.$1-unpacking"
  privateDebs "$staging" "$3" "$4=$2"
  toolSettle "$1" "$2" "$staging"
}

# The shader compiler: vkd3d-compiler 2.x from Debian unstable, with its own C library.
tc="$tools/vkd3d"
if [ ! -x "$tc/vkd3d-compiler" ]; then
  echo "setup: fetching the shader compiler"
  privateDebs "$tc" unstable vkd3d-compiler libvkd3d-shader1 libc6 libtinfo6
  lib="$tc/root/usr/lib/x86_64-linux-gnu"
  cat > "$tc/vkd3d-compiler" <<WRAP
#!/bin/sh
exec "$lib/ld-linux-x86-64.so.2" --library-path "$lib" "$tc/root/usr/bin/vkd3d-compiler" "\$@"
WRAP
  chmod +x "$tc/vkd3d-compiler"
  "$tc/vkd3d-compiler" --version
fi

# The second Direct3D 11 (scripts/direct3d.sh): DXVK 2.6 from Debian 13, Mesa's software Vulkan
# driver (lavapipe) 25.0 from Debian 12's backports and the Khronos validation layer of Debian
# 12. Each goes into a folder of its own with a manifest that names its library by full path;
# the system's Mesa, which Wine's own Direct3D draws with, stays as it is.
source "$here/scripts/vulkan-tools.sh"
if [ ! -f "$dxvkDir/ready" ]; then
  echo "setup: fetching DXVK $dxvkPin"
  unpackTool dxvk "$dxvkPin" trixie dxvk-wine64
  dxvkDir=$toolSettled
  for dll in d3d11 dxgi; do cp "$dxvkDir/root/usr/lib/dxvk/wine64/$dll.dll.so" "$dxvkDir/$dll.dll"; done
  touch "$dxvkDir/ready"
fi
# writeManifest SOURCE.json LIBRARY.so OUT.json: a Vulkan manifest pointing at LIBRARY by path.
writeManifest() {
  sed "s|\"library_path\": *\"[^\"]*\"|\"library_path\": \"$2\"|" "$1" > "$3"
}
if [ ! -f "$lavapipeDir/ready" ]; then
  echo "setup: fetching lavapipe $lavapipePin"
  unpackTool lavapipe "$lavapipePin" bookworm-backports mesa-vulkan-drivers
  lavapipeDir=$toolSettled
  writeManifest "$(ls "$lavapipeDir"/root/usr/share/vulkan/icd.d/lvp_icd*.json)" \
    "$lavapipeDir/root/usr/lib/x86_64-linux-gnu/libvulkan_lvp.so" "$lavapipeDir/lvp_icd.json"
  touch "$lavapipeDir/ready"
fi
if [ ! -f "$validationDir/ready" ]; then
  echo "setup: fetching the Vulkan validation layer $validationPin"
  unpackTool vulkan-validation "$validationPin" bookworm vulkan-validationlayers
  validationDir=$toolSettled
  mkdir -p "$validationDir/layers"
  writeManifest "$validationDir/root/usr/share/vulkan/explicit_layer.d/VkLayer_khronos_validation.json" \
    "$validationDir/root/usr/lib/x86_64-linux-gnu/libVkLayer_khronos_validation.so" \
    "$validationDir/layers/VkLayer_khronos_validation.json"
  touch "$validationDir/ready"
fi
# Dear ImGui for demo-sync's editor: the sources, which CMake compiles for Windows
# (cmake/DearImGui.cmake); Debian's binary package has a Linux library only.
if [ ! -f "$imguiDir/ready" ]; then
  echo "setup: fetching the Dear ImGui sources $imguiPin"
  privateSource "$tools/.imgui-unpacking" bookworm imgui "$imguiPin" "$imguiSha256"
  toolSettle imgui "$imguiPin" "$tools/.imgui-unpacking"
  imguiDir=$toolSettled
  touch "$imguiDir/ready"
fi
# Loud on every run while a tool is not the pinned version, not only the run that unpacked it.
toolchainReport || echo "setup: WARNING: running on versions other than the pinned ones (above); remove $tools/*.fallback and the named folders to try the pins again" >&2
