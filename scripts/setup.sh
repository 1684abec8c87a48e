#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12. Safe to re-run:
# packages already present and the private shader compiler are skipped.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

packages=(cmake make g++ clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix mingw-w64-tools
          wine64 wine xvfb pulseaudio pulseaudio-utils xdotool imagemagick libstb-dev
          libgtest-dev googletest ffmpeg sox python3 dpkg-dev ninja-build libgl1-mesa-dri)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The shader compiler: vkd3d-compiler 2.x from Debian unstable, unpacked into a private
# folder with its own C library so the system's libraries are never touched.
tc="$("$here/scripts/toolchain-dir.sh")/vkd3d"
if [ ! -x "$tc/vkd3d-compiler" ]; then
  echo "setup: fetching the shader compiler"
  mirror=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 | awk '{print $2}')
  if [ -z "$mirror" ]; then
    mirror=$(grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | head -n1 | awk '{print $2}')
  fi
  rm -rf "$tc"
  mkdir -p "$tc/lists/partial" "$tc/debs" "$tc/root"
  echo "deb $mirror unstable main" > "$tc/sources.list"
  o=(-oDir::State::Lists="$tc/lists" -oDir::Etc::SourceList="$tc/sources.list" -oDir::Etc::SourceParts=/dev/null
     -oAPT::Sandbox::User=root)
  apt-get "${o[@]}" update -q
  (cd "$tc/debs" && apt-get "${o[@]}" download vkd3d-compiler libvkd3d-shader1 libc6 libtinfo6)
  for f in "$tc"/debs/*.deb; do dpkg-deb -x "$f" "$tc/root"; done
  lib="$tc/root/usr/lib/x86_64-linux-gnu"
  cat > "$tc/vkd3d-compiler" <<WRAP
#!/bin/sh
exec "$lib/ld-linux-x86-64.so.2" --library-path "$lib" "$tc/root/usr/bin/vkd3d-compiler" "\$@"
WRAP
  chmod +x "$tc/vkd3d-compiler"
  "$tc/vkd3d-compiler" --version
fi
