#!/usr/bin/env bash
# scripts/release.sh [--size WxH] [--at SECONDS] [--out ARCHIVE.zip] [--build DIR]
# The party release, out/nimbra.zip unless told: demo.exe and demo-capture.exe of build/win64 (or DIR),
# nimbra.nfo, file_id.diz (scripts/release-pack.py) and nimbra.png, one frame rendered by
# demo-capture (scripts/capture.sh) at 1920 x 1080, the size the nfo recommends.
# The frame is at 70 s: the middle of the show, where every layer is up at once (the three text
# layers, the ribbon sculpture, the cube scroller and the palette bar) before the ending breaks
# the picture apart; the opening's lost signal is dark, and a compo's slide wants what the demo
# looks like at its fullest.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
size=1920x1080
at=70
archive=out/nimbra.zip
win=build/win64
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --at) at=$2; shift 2 ;;
    --out) archive=$2; shift 2 ;;
    --build) win=$2; shift 2 ;;
    *) echo "release: unknown option $1" >&2; exit 2 ;;
  esac
done
for program in demo.exe demo-capture.exe; do
  [ -f "$win/$program" ] || { echo "release: $win/$program is missing: make win64" >&2; exit 1; }
done
mkdir -p "$(dirname "$archive")"
work=$(mktemp -d "$(dirname "$archive")/.release.XXXXXX")
trap 'rm -rf "$work"' EXIT
bash scripts/capture.sh --program "$win/demo-capture.exe" --size "$size" --fps 60 --from "$at" --to "$at" --out "$work/frame" >"$work/capture.log" 2>&1 ||
  { cat "$work/capture.log" >&2; echo "release: the screenshot could not be rendered" >&2; exit 1; }
shot=$(find "$work/frame" -name 'frame_?????.png' | sort | head -n1)
[ -n "$shot" ] || { echo "release: demo-capture wrote no frame" >&2; exit 1; }
python3 scripts/release-pack.py "$win/demo.exe" "$win/demo-capture.exe" "$shot" "$archive"
echo "release: $archive ($(stat -c %s "$archive") bytes; demo.exe $(sha256sum "$win/demo.exe" | cut -d' ' -f1))"
