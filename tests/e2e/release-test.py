#!/usr/bin/env python3
"""The party release (scripts/release.sh), built from this build's programs with a small
screenshot, unpacked and checked file by file: demo.exe is the build's byte for byte, its size
and SHA-256 stand in the nfo with the requirements and how to end it, file_id.diz keeps to 10
lines of 45 columns, and the screenshot is a PNG that decodes whole to a picture that is not black.

usage: release-test.py SOURCE_DIR BUILD_DIR WORK_DIR
"""
import hashlib
import os
import struct
import subprocess
import sys
import unittest
import zipfile
import zlib

SOURCE, BUILD, WORK = (os.path.abspath(a) for a in sys.argv[1:4])
WIDTH, HEIGHT = 320, 180
FILES = {'demo.exe', 'demo-capture.exe', 'nimbra.nfo', 'file_id.diz', 'nimbra.png'}


def png_pixels(data):
    """(width, height, channels, rows of bytes): every chunk's CRC checked, IDAT inflated and
    unfiltered as the PNG format defines them, for 8-bit RGB or RGBA without interlace."""
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'no PNG signature'
    at, chunks = 8, []
    while at < len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        crc, = struct.unpack('>I', data[at + 8 + length:at + 12 + length])
        assert zlib.crc32(kind + body) == crc, f'bad CRC in {kind}'
        chunks.append((kind, body))
        at += 12 + length
    assert chunks[0][0] == b'IHDR' and chunks[-1][0] == b'IEND'
    width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', chunks[0][1])
    assert depth == 8 and colour in (2, 6) and interlace == 0, (depth, colour, interlace)
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(b''.join(body for kind, body in chunks if kind == b'IDAT'))
    stride = width * channels
    assert len(raw) == height * (stride + 1), 'the image data is not the size of the picture'
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        assert kind <= 4, f'filter {kind}'
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = previous[x]
            c = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        previous = line
    return width, height, channels, rows


class ReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(WORK, exist_ok=True)
        cls.archive = os.path.join(WORK, 'nimbra.zip')
        if os.path.exists(cls.archive):
            os.remove(cls.archive)
        subprocess.run(['bash', os.path.join(SOURCE, 'scripts/release.sh'), '--size', f'{WIDTH}x{HEIGHT}', '--out',
                        cls.archive, '--build', BUILD], check=True)
        with zipfile.ZipFile(cls.archive) as z:
            assert z.testzip() is None
            cls.files = {name: z.read(name) for name in z.namelist()}
        with open(os.path.join(BUILD, 'demo.exe'), 'rb') as f:
            cls.demo = f.read()

    def test_holds_the_five_files_and_the_builds_programs(self):
        self.assertEqual(set(self.files), FILES)
        self.assertEqual(hashlib.sha256(self.files['demo.exe']).hexdigest(), hashlib.sha256(self.demo).hexdigest())
        with open(os.path.join(BUILD, 'demo-capture.exe'), 'rb') as f:
            self.assertEqual(self.files['demo-capture.exe'], f.read())

    def test_the_nfo_tells_what_it_needs_how_to_end_it_and_the_programs_size_and_hash(self):
        text = self.files['nimbra.nfo'].decode('ascii')
        lines = text.split('\r\n')
        self.assertEqual(lines[-1], '', 'every line ends with CRLF')
        self.assertNotIn('\n', text.replace('\r\n', ''))
        self.assertLessEqual(max(len(line) for line in lines), 80)
        stripped = [line.strip() for line in lines]
        self.assertIn(f'size     {len(self.demo)} bytes', stripped)
        self.assertIn(f'SHA-256  {hashlib.sha256(self.demo).hexdigest()}', stripped)
        for needed in ('64-bit Windows 10 or 11', 'Direct3D 11 GPU', '1920 x 1080 at 60 Hz', 'sound', 'Escape ends it',
                       'Credits'):
            self.assertIn(needed, text)

    def test_file_id_diz_keeps_to_ten_lines_of_45_columns(self):
        text = self.files['file_id.diz'].decode('ascii')
        lines = text.split('\r\n')
        self.assertEqual(lines[-1], '')
        self.assertLessEqual(len(lines) - 1, 10)
        self.assertLessEqual(max(len(line) for line in lines), 45)
        self.assertEqual(lines[0], 'NIMBRA')

    def test_the_screenshot_decodes_to_a_picture(self):
        width, height, channels, rows = png_pixels(self.files['nimbra.png'])
        self.assertEqual((width, height), (WIDTH, HEIGHT))
        brightest = max(max(row[x] for x in range(len(row)) if x % channels < 3) for row in rows)
        self.assertGreater(brightest, 64, 'the screenshot is dark throughout')


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
