#!/usr/bin/env python3
"""film-test.py DEMO_CAPTURE_EXE ROOT WORK_DIR

Films the two seconds from 20 s at 320 x 180, 30 fps, twice with scripts/capture.sh (demo-capture
streaming into ffmpeg), the second time with demo-capture's PNG frames of the same render beside
it (--out), all on DXVK over lavapipe.
  - the two films decode to the same frames and sound (framemd5);
  - a film is H.264 in yuv420p with AAC stereo, 60 frames, its index (moov) before its data;
  - every frame of the film is within 38 dB PSNR of the PNG frame of its time. The PSNR is taken
    in the film's own 4:2:0 BT.709, the PNG converted as the film's frames are: 4:2:0 alone costs
    this picture's thin coloured lines 31 to 36 dB in RGB at this size, whatever the encoder
    does. Neighbouring frames of this span differ by 21 to 27 dB, so a frame out of its place,
    one dropped or one repeated falls far below the floor;
  - the film's sound is the soundtrack demo-capture writes for the span, within an AAC floor.
"""
import array
import math
import os
import re
import subprocess
import sys

exe, root, work = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
FROM, TO, FPS, WIDTH, HEIGHT = 20, 22, 30, 320, 180
FRAMES = (TO - FROM) * FPS
PSNR_FLOOR_DB = 38.0
# AAC at 256 kb/s keeps the soundtrack of this span at 31.7 dB SNR; the sound a frame early or
# late, or a second off, measures below 0 dB.
SOUND_FLOOR_DB = 15.0
# The conversion of capture.sh, for the PNG frames to meet the film in its own colours.
TO_FILM_COLOURS = ("scale=flags=lanczos+accurate_rnd+full_chroma_int:out_color_matrix=bt709:out_range=tv,"
                   "format=yuv420p")

if not os.environ.get("NIMBRA_SESSION"):
    os.execvp("bash", ["bash", os.path.join(root, "scripts/session.sh"), "--no-sound", sys.executable] + sys.argv)
os.environ.update(NIMBRA_D3D="dxvk", NIMBRA_VULKAN="lavapipe")
os.makedirs(work, exist_ok=True)
failures = []


def run(command):
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if done.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (done.returncode, " ".join(command), done.stdout))
    return done.stdout


def check(ok, what):
    print(("ok: " if ok else "FAIL: ") + what)
    if not ok:
        failures.append(what)


span = ["--from", str(FROM), "--to", str(TO), "--fps", str(FPS)]
films = [os.path.join(work, name + ".mp4") for name in ("first", "second")]
pictures = os.path.join(work, "pictures")
for film, beside in zip(films, ([], ["--out", pictures])):
    run(["bash", os.path.join(root, "scripts/capture.sh"), "--program", exe,
         "--size", "%dx%d" % (WIDTH, HEIGHT), "--film", film] + beside + span)

# The same frames and sound, and how many frames.
sums = [[line for line in run(["ffmpeg", "-v", "error", "-i", film, "-f", "framemd5", "-"]).splitlines()
         if not line.startswith("#")] for film in films]
check(sums[0] == sums[1], "the two films decode to the same frames and sound")
video = [line for line in sums[0] if line.startswith("0,")]
check(len(video) == FRAMES, "%d frames in the film (%d expected)" % (len(video), FRAMES))

streams = run(["ffprobe", "-v", "error", "-show_entries", "stream=codec_name,pix_fmt,width,height,r_frame_rate,channels",
               "-of", "compact=p=0:nk=1", films[0]]).split()
check(streams == ["h264|%d|%d|yuv420p|%d/1" % (WIDTH, HEIGHT, FPS), "aac|2|0/0"], "streams: %s" % streams)

# Top-level boxes: 32-bit size, then the type.
with open(films[0], "rb") as f:
    data = f.read()
boxes, at = [], 0
while at + 8 <= len(data):
    size = int.from_bytes(data[at:at + 4], "big")
    boxes.append(data[at + 4:at + 8].decode("latin-1"))
    at += size if size >= 8 else len(data)
check("moov" in boxes and "mdat" in boxes and boxes.index("moov") < boxes.index("mdat"),
      "the index comes first: %s" % boxes)

# Every frame against the PNG of its time.
stats = os.path.join(work, "psnr.log")
run(["ffmpeg", "-v", "error", "-i", films[0], "-framerate", str(FPS), "-i", os.path.join(pictures, "frame_%05d.png"),
     "-lavfi", "[1:v]%s[png];[0:v][png]psnr=stats_file=%s" % (TO_FILM_COLOURS, stats), "-f", "null", "-"])
with open(stats) as f:
    psnr = [float(re.search(r"psnr_avg:(\S+)", line).group(1)) for line in f]
check(len(psnr) == FRAMES, "%d frames compared" % len(psnr))
low = min(range(len(psnr)), key=lambda i: psnr[i]) if psnr else 0
check(psnr and psnr[low] >= PSNR_FLOOR_DB,
      "the lowest PSNR against the PNG frames: %.2f dB at frame %d (floor %.0f dB)" %
      (psnr[low] if psnr else 0, low, PSNR_FLOOR_DB))

# The sound: the film's, decoded, against the float WAV (its samples start at byte 58).
decoded = subprocess.run(["ffmpeg", "-v", "error", "-i", films[0], "-map", "0:a", "-f", "f32le", "-ac", "2",
                          "-ar", "44100", "-"], stdout=subprocess.PIPE, check=True).stdout
film_sound = array.array("f", decoded)
with open(os.path.join(pictures, "soundtrack.wav"), "rb") as f:
    wav_sound = array.array("f", f.read()[58:])
n = min(len(film_sound), len(wav_sound))
signal = sum(x * x for x in wav_sound[:n])
noise = sum((x - y) ** 2 for x, y in zip(film_sound[:n], wav_sound[:n]))
snr = 10.0 * math.log10(signal / noise) if noise > 0 and signal > 0 else 0.0
check(n >= len(wav_sound) - 2 * 1024 and snr >= SOUND_FLOOR_DB,
      "the film's sound against the soundtrack: %d of %d samples, %.1f dB SNR (floor %.0f dB)" %
      (n, len(wav_sound), snr, SOUND_FLOOR_DB))

sys.exit(1 if failures else 0)
