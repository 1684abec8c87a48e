#!/usr/bin/env python3
"""scripts/release-pack.py DEMO.exe DEMO-CAPTURE.exe SCREENSHOT.png ARCHIVE.zip

Packs the party release: demo.exe, demo-capture.exe (for the compatibility report), nimbra.nfo
(what it is, what it needs, how to end it, the credits, and demo.exe's size and SHA-256),
file_id.diz (at most 10 lines of at most 45 columns) and the screenshot as nimbra.png. The text
files are ASCII with CRLF line ends, as a compo machine's viewer expects them.
"""
import hashlib
import os
import sys
import zipfile

DIZ_COLUMNS = 45
DIZ_LINES = 10

DIZ = [
    "NIMBRA",
    "a real-time demo for 64-bit Windows",
    "",
    "107 seconds of GPU effects in step with",
    "its own tracker soundtrack, played by",
    "its own XM replayer: one executable.",
    "",
    "Windows 10/11, Direct3D 11 GPU, sound.",
    "Escape ends it.",
]


def nfo(size, sha256):
    return f"""\
NIMBRA
a real-time audiovisual demo for 64-bit Windows

What it is
  One self-contained executable, demo.exe: a borderless full-screen window
  with GPU effects in step with its own tracker soundtrack, an XM module
  played by its own replayer, for 107.58 seconds. It then ends by itself
  with exit code 0. Everything it shows and plays is inside the file; it
  reads no configuration and writes nothing.

Requirements
  - 64-bit Windows 10 or 11
  - a Direct3D 11 GPU (feature level 11_0)
  - 1920 x 1080 at 60 Hz recommended; it runs at the primary screen's size
  - sound: the default output device (32-bit float stereo at 44,100 Hz)

Running it
  Start demo.exe. Escape ends it at any time, as does Alt+F4.
  On a laptop with two GPUs it asks the driver for the fast one.

Checking a PC first
  demo-capture.exe --report (from a console in this folder) prints one
  line to look for, "compatibility: ok" or the problems it found, then the
  adapters, the driver, the primary screen and GPU times of every pass.

Credits
  code, effects and replayer ..... the Nimbra team
  music (XM) ...................... the Nimbra team
  fonts, palettes, picture ........ the Nimbra team, made by its own tools

demo.exe
  size     {size} bytes
  SHA-256  {sha256}
"""


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")


def main(argv):
    if len(argv) != 5:
        sys.exit(__doc__)
    demo, capture, shot, archive = argv[1:]
    with open(demo, "rb") as f:
        program = f.read()
    for line in DIZ:
        assert len(line) <= DIZ_COLUMNS, line
    assert len(DIZ) <= DIZ_LINES
    os.makedirs(os.path.dirname(os.path.abspath(archive)), exist_ok=True)
    partial = archive + ".partial"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("demo.exe", program)
        z.write(capture, "demo-capture.exe")
        z.writestr("nimbra.nfo", crlf(nfo(len(program), hashlib.sha256(program).hexdigest())))
        z.writestr("file_id.diz", crlf("\n".join(DIZ) + "\n"))
        z.write(shot, "nimbra.png")
    os.replace(partial, archive)


if __name__ == "__main__":
    main(sys.argv)
