#!/usr/bin/env bash
# scripts/bench-xm.sh [REPS]: speed of the XM engine against Debian's xmp (libxmp) and
# openmpt123 (libopenmpt), on our song, the 10-channel bench10.xm and the 18-channel bench18.xm
# written by xmseeds, plus one hostile module. Needs `make host`; installs xmp and openmpt123
# when they are missing (they are the benchmark's, not the tests').
#
# Each figure is the median of REPS runs (default 7) taken in the same run of this script:
#   realtime  xmbench's seconds of audio per second of CPU time (one thread, 120 s of audio)
#   xmrender / xmp / openmpt123   user CPU seconds of a whole process writing the song to a WAV
#                                  file, nearest-neighbour for both players; ratios beside them.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
reps=${1:-7}
bin="$here/build/host/tools"
for tool in xmbench/xmbench xmrender/xmrender xmseeds/xmseeds; do
  if [ ! -x "$bin/$tool" ]; then echo "bench-xm: build first (make host)" >&2; exit 1; fi
done

missing=()
command -v xmp >/dev/null || missing+=(xmp)
command -v openmpt123 >/dev/null || missing+=(openmpt123)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  echo "bench-xm: installing ${missing[*]}"
  $SUDO apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

work="$here/build/bench-xm"
rm -rf "$work" && mkdir -p "$work"
"$bin/xmseeds/xmseeds" "$work"
cp "$here/content/song/song.xm" "$work/song.xm"
# Hostile but legal: a seed declaring 30,212 channels at tempo 49,272.
python3 - "$work/effects0-linear.xm" "$work/hostile.xm" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
struct.pack_into('<H', data, 68, 30212)
struct.pack_into('<H', data, 78, 49272)
open(sys.argv[2], 'wb').write(data)
PY

echo "XM engine benchmark: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores"
echo "players: $(xmp --version 2>&1 | head -n1); $(openmpt123 --version 2>&1 | head -n1 | cut -d' ' -f1-4)"
echo "medians of $reps runs"
python3 - "$reps" "$work" "$bin" <<'PY'
import os, re, statistics, subprocess, sys

reps, work, bin = int(sys.argv[1]), sys.argv[2], sys.argv[3]

def user_cpu(cmd):
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    if status != 0:
        sys.exit('bench-xm: failed: ' + ' '.join(cmd))
    return usage.ru_utime

def realtime(module):
    out = subprocess.run([bin + '/xmbench/xmbench', module], capture_output=True, text=True, check=True).stdout
    return float(re.search(r'realtime (\d+)', out).group(1))

renders = {
    'xmrender': lambda m: [bin + '/xmrender/xmrender', m, work + '/ours.wav'],
    'xmp': lambda m: ['xmp', '-q', '-i', 'nearest', '-a', '0', '-o', work + '/xmp.wav', m],
    'openmpt123': lambda m: ['openmpt123', '-q', '--batch', '--filter', '1', '--samplerate', '44100',
                             '--force', '-o', work + '/openmpt.wav', m],
}
print('%-12s %9s %10s %10s %10s %10s %10s' % ('module', 'realtime', 'xmrender', 'xmp', 'openmpt123',
                                              'vs xmp', 'vs openmpt'))
for name in ['song.xm', 'bench10.xm', 'bench18.xm']:
    module = os.path.join(work, name)
    rt = statistics.median(realtime(module) for _ in range(reps))
    times = {k: [] for k in renders}
    for _ in range(reps):  # interleaved, so that a change in the machine's load hits all three
        for k, cmd in renders.items():
            times[k].append(user_cpu(cmd(module)))
    med = {k: statistics.median(v) for k, v in times.items()}
    print('%-12s %8.0fx %9.3fs %9.3fs %9.3fs %10.2f %10.2f' % (
        name, rt, med['xmrender'], med['xmp'], med['openmpt123'],
        med['xmrender'] / med['xmp'], med['xmrender'] / med['openmpt123']))

hostile = os.path.join(work, 'hostile.xm')
cmd = [bin + '/xmrender/xmrender', hostile, work + '/hostile.wav', '--seconds', '3', '--loops', '0']
t = statistics.median(user_cpu(cmd) for _ in range(reps))
print('hostile.xm (30,212 channels, tempo 49,272): xmrender --seconds 3 takes %.3f s user CPU' % t)
PY
