#!/usr/bin/env python3
"""timeline-dump rocket FILE: the file is the editor's XML, one track per variable in variable
order, and read back with an XML reader of its own it gives every key of `timeline-dump keys`
to the bit. It starts with the XML declaration, behind which some readers (pyrocket) put a root
of their own. A path that cannot be written fails with a message.

usage: timeline-dump-rocket-test.py TIMELINE_DUMP SCRATCH_DIR"""
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def float32_text(text):
    """The text read as a 32-bit float, printed as timeline-dump prints values."""
    value = struct.unpack('<f', struct.pack('<f', float(text)))[0]
    return '%.9g' % value


def main():
    dump, scratch = sys.argv[1], sys.argv[2]
    os.makedirs(scratch, exist_ok=True)
    path = os.path.join(scratch, 'exported.rocket')
    if os.path.exists(path):
        os.remove(path)
    subprocess.run([dump, 'rocket', path], check=True)
    keys = subprocess.run([dump, 'keys'], check=True, capture_output=True, text=True).stdout.splitlines()
    names = [line.split(' ')[0] for line in
             subprocess.run([dump, 'at', '0'], check=True, capture_output=True, text=True).stdout.splitlines()]

    with open(path, encoding='utf-8') as file:
        text = file.read()
    assert text.startswith('<?xml version="1.0" encoding="utf-8"?>\n'), text[:60]
    wrapped = ElementTree.fromstring(re.sub(r'(<\?xml[^>]+\?>)', r'\1<root>', text) + '</root>')
    assert len(wrapped.findall('sync/tracks/track')) == 64

    root = ElementTree.parse(path).getroot()
    assert root.tag == 'sync', root.tag
    tracks_elements = root.findall('tracks')
    assert len(tracks_elements) == 1
    tracks = tracks_elements[0].findall('track')
    assert [track.get('name') for track in tracks] == names, 'tracks are not the variables in order'
    assert len(tracks) == 64

    lines = []
    last_row = 0
    for index, track in enumerate(tracks):
        for key in track:
            assert key.tag == 'key', key.tag
            row = int(key.get('row'))
            last_row = max(last_row, row)
            lines.append(f"{index},{row},{float32_text(key.get('value'))},{int(key.get('interpolation'))}")
    assert lines == keys, next(f'{a} != {b}' for a, b in zip(lines + [''], keys + ['']) if a != b)
    rows = int(root.get('rows'))
    assert rows > last_row and rows % 32 == 0, f'rows {rows} for a last key on {last_row}'
    print(f'{len(lines)} keys in {len(tracks)} tracks read back exactly; rows {rows}')

    bad = subprocess.run([dump, 'rocket', os.path.join(scratch, 'no such folder', 'x.rocket')],
                         capture_output=True, text=True)
    assert bad.returncode == 1, bad.returncode
    assert 'cannot write' in bad.stderr, bad.stderr
    assert bad.stdout == ''


if __name__ == '__main__':
    main()
