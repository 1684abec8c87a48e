#!/usr/bin/env python3
"""demo-sync.exe under Wine with its live files, through the real program.

usage: demo-sync-reload-test.py DEMO_SYNC.exe SOURCE_DIR WORK_DIR shaders|song|overlay

shaders: a display with OpenGL, so the picture is drawn (by the software rasteriser: a frame
takes seconds, and every wait counts turns of the loop, never seconds). A copy of the shader
folder, named with a letter beyond ASCII, is edited while it runs: a good change shows in the
window, a broken program and one whose interface no longer fits its pass are reported and the
picture stays, a good one again shows. The overlay is off (--no-overlay): the picture is
compared as it is drawn.

overlay: the same, with the overlay and on whichever Direct3D 11 the run picks (the test pins
DXVK, the faster): once a program draws a flat colour, a syntax error in it shows over the
picture as text on a darkened backdrop at the top, the status line at the bottom; once the file
is fixed, the top is the flat colour again.

song: a display without OpenGL and a sound sink whose monitor is recorded. --song plays a
module from disk (one sine note a second, a semitone up each second), under a name that the
ANSI code page cannot spell; it is saved over by the same song an octave up, then by a
truncated module and by bytes that are no module. The recording must hold the first song, then
the second going on at the same place in the song with no pause between them, and the program
keeps running to Escape.
"""
import glob
import math
import os
import re
import shutil
import statistics
import subprocess
import sys
import threading
import time
import unittest
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demosync  # noqa: E402
from demosync import WAIT, Demo, free_port  # noqa: E402

MODE = sys.argv[4] if len(sys.argv) > 4 else ''
# NIMBRA_RELOAD_SIZE=640x360 measures the shaders' save to picture at another window size (on a
# display with room for the window's frame).
SIZE = os.environ.get('NIMBRA_RELOAD_SIZE')
WIDTH, HEIGHT = (int(v) for v in (SIZE or '160x90').split('x'))
DISPLAY_SIZE = ['--size', f'{WIDTH + 160}x{HEIGHT + 120}'] if SIZE else []
DEMO, SOURCE, WORK = demosync.setup(
    sys.argv, ['--no-sound'] + DISPLAY_SIZE if MODE in ('shaders', 'overlay') else ['--no-gl'], __doc__,
    (('xdotool', 'xdotool'), ('wine', 'wine'), ('import', 'imagemagick'), ('parec', 'pulseaudio-utils')))

# The frames the software rasteriser takes are slow; a turn of the loop is one frame. The start
# may first create the Wine prefix.
TURN_WAIT = 600.0
START_WAIT = TURN_WAIT
FRAMES_IN_FLIGHT = 3
RATE = 44100
# Where the live files are copied: names a user's folders may have, beyond ASCII.
SHADERS = 'shäders'
SONG = 'sông-ω.xm'
RELOADED = r'shader combinePS reloaded \(\d+ ms after the save was noticed[^)]*\)'


def save(path, data):
    """Saves the way editors do: a new file renamed over the old one."""
    with open(path + '.new', 'wb' if isinstance(data, bytes) else 'w') as f:
        f.write(data)
    os.replace(path + '.new', path)


def compile_folders():
    """The compiler's work folders in the Temp folder of the prefix the run uses."""
    prefix = demosync.harness.wine_prefix()
    return [found for pattern in ('drive_c/users/*/Temp/nimbra-shaders-*',
                                  'drive_c/users/*/AppData/Local/Temp/nimbra-shaders-*')
            for found in glob.glob(os.path.join(prefix, pattern))]


class TurnWatch:
    """When each turn of the loop ended, as seen from its dump (read every 2 ms in the background)."""

    def __init__(self, demo):
        self.demo = demo
        self.turns = []
        self.running = True
        self.thread = threading.Thread(target=self._watch, daemon=True)
        self.thread.start()

    def _watch(self):
        last = None
        while self.running:
            state = self.demo.state()
            if state is not None and state['time'] != last:
                last = state['time']
                self.turns.append(time.monotonic())
            time.sleep(0.002)

    def stop(self):
        self.running = False
        self.thread.join()

    def intervals(self, start, end):
        """The spaces between the turns that ended from `start` to `end`, with the last one before
        and the first one after (a turn may span the whole stretch), in ms."""
        first = max([i for i, t in enumerate(self.turns) if t <= start], default=0)
        last = min([i for i, t in enumerate(self.turns) if t >= end], default=len(self.turns) - 1)
        times = self.turns[first:last + 1]
        return [(b - a) * 1000 for a, b in zip(times, times[1:])]

    def count(self, start, end):
        """The turns that ended from `start` to `end`."""
        return sum(start <= t <= end for t in self.turns)


class LiveShaderFolder(unittest.TestCase):
    """demo-sync on a copy of the shader folder, whose combinePS.hlsl the test saves."""
    OVERLAY = ('--no-overlay',)
    SIZE = (WIDTH, HEIGHT)

    def setUp(self):
        self.shaders = os.path.join(WORK, SHADERS)
        shutil.rmtree(self.shaders, ignore_errors=True)
        shutil.copytree(os.path.join(SOURCE, 'content/shaders'), self.shaders)
        for left in compile_folders():  # by a run that was killed
            shutil.rmtree(left)
        with open(os.path.join(self.shaders, 'combinePS.hlsl'), encoding='utf-8') as f:
            self.source = f.read()
        self.demo = Demo(free_port(), '--shaders', SHADERS, *self.OVERLAY, width=self.SIZE[0], height=self.SIZE[1])
        self.watch = TurnWatch(self.demo)
        self.screenshot_ms = 0

    def tearDown(self):
        self.watch.stop()
        self.demo.stop()

    def save_combine(self, first_lines, declarations=''):
        """combinePS.hlsl with `first_lines` at the start of pixel_main's body."""
        at = self.source.index('{', self.source.index('pixel_main')) + 1
        save(os.path.join(self.shaders, 'combinePS.hlsl'),
             self.source[:at].replace('float4 pixel_main', declarations + 'float4 pixel_main', 1) +
             '\n    ' + first_lines + '\n' + self.source[at:])
        return time.monotonic()

    def turns(self, count):
        """Waits for `count` more turns of the loop: frames drawn and presented."""
        for _ in range(count):
            before = self.demo.current()['time']
            self.demo.wait_state(lambda s: s['time'] != before, 'another frame', TURN_WAIT)


class ShaderReloadTest(LiveShaderFolder):
    def colours(self):
        """The window's picture at five points of its inside, as 'R,G,B': one ImageMagick process
        that writes the window as PPM, read here (converting in further processes made each look
        take the better part of a second)."""
        if not getattr(self, 'window_id', None):
            self.window_id = self.demo.window()
        ppm = subprocess.run(['import', '-window', self.window_id, '-depth', '8', 'ppm:-'], check=True,
                             capture_output=True).stdout
        magic, w, h, depth, pixels = ppm.split(maxsplit=4)
        self.assertEqual((magic, depth), (b'P6', b'255'))
        w, h = int(w), int(h)
        points = [(w // 2, h // 2 + 8), (w // 4, h // 2), (3 * w // 4, h // 2), (w // 2, h // 2 + 30), (w // 2, h - 10)]
        return [','.join(str(v) for v in pixels[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x, y in points]

    def expect_picture(self, colour, what, stays=False):
        """The window shows `colour`: at once, or within the frames still on their way to the screen
        (Wine draws a frame after its Present call returns, up to three frames behind the loop).
        With `stays`, the picture must still show it once those frames are out. Returns when the
        screenshot that showed it was taken."""
        if stays:
            self.turns(FRAMES_IN_FLIGHT + 1)
        else:
            # Screenshots one after the other, until the frames then in flight are out.
            begun, deadline = len(self.watch.turns), time.monotonic() + TURN_WAIT * (FRAMES_IN_FLIGHT + 2)
            while len(self.watch.turns) - begun <= FRAMES_IN_FLIGHT + 1 and time.monotonic() < deadline:
                taken = time.monotonic()
                if self.colours() == [colour] * 5:
                    self.screenshot_ms = (time.monotonic() - taken) * 1000
                    return taken
                self.assertIsNone(self.demo.process.poll(), 'demo-sync ended')
        self.assertEqual(self.colours(), [colour] * 5, what)
        return time.monotonic()

    def report(self, saved, reloaded, pictured):
        """Prints the save to picture in its parts: the save noticed (the poll), noticed to the
        program in its passes (the compile and the swap), the program to the picture (frames in
        flight and the screenshot); and the turns of the loop before the save and while it
        compiled. Figures only: no verdict depends on them."""
        line, at = self.demo.lines[reloaded], self.demo.log.times[reloaded]
        noticed = at - int(re.search(r'\((\d+) ms after', line).group(1)) / 1000
        compiled = re.search(r'compiled in (\d+) ms', line)
        usual = self.watch.intervals(saved - 10, saved)
        during = self.watch.intervals(noticed, at)
        turns = self.watch.count
        print(f'save to picture: {(pictured - saved) * 1000:.0f} ms = poll {(noticed - saved) * 1000:.0f} ms'
              f' ({turns(saved, noticed)} turns) + noticed to program {(at - noticed) * 1000:.0f} ms'
              f' ({turns(noticed, at)} turns{f", compile {compiled.group(1)} ms" if compiled else ""})'
              f' + program to picture {(pictured - at) * 1000:.0f} ms ({turns(at, pictured)} turns; the screenshot'
              f' that showed it took {self.screenshot_ms:.0f} ms); turns: usual '
              f'{statistics.median(usual) if usual else 0:.0f} ms (median of {len(usual)}), longest while '
              f'compiling {max(during, default=0):.0f} ms of {len(during)}', file=sys.stderr)

    def test_shader_reload(self):
        self.demo.expect(f'live shaders: {SHADERS}, compiled with .*compile-shader\\.sh', timeout=START_WAIT)
        self.assertEqual(len(compile_folders()), 1, 'the compiler\'s work folder')
        self.turns(4)
        self.assertNotEqual(self.colours(), ['255,0,255'] * 5)

        saved = self.save_combine('return float4(1, 0, 1, 1);')
        reloaded = self.demo.expect(RELOADED, timeout=TURN_WAIT)
        pictured = self.expect_picture('255,0,255', 'the saved program draws the picture')
        self.report(saved, reloaded, pictured)

        self.save_combine('return float4(0, 1, 0, 1)')  # no semicolon
        failed = self.demo.expect('shader combinePS: failed to compile, it keeps its program', reloaded,
                                  timeout=TURN_WAIT)
        self.demo.expect_raw(r'.*combinePS\.hlsl:\d+: .+', reloaded, timeout=1)

        # Neither a program that does not compile nor one that does not fit changes the picture.
        # A refused program changes nothing, so one look once both are in shows a change by either.
        self.save_combine('return extra.Load(int3(0, 0, 0));', 'Texture2D extra : register(t7);\n\n')
        refused = self.demo.expect(r'shader combinePS refused: t7 \(extra\): the pass binds nothing there', failed,
                                   timeout=TURN_WAIT)
        self.expect_picture('255,0,255', 'a program that does not compile or does not fit changes nothing', stays=True)

        self.save_combine('return float4(0, 1, 0, 1);')
        self.demo.expect(RELOADED, refused, timeout=TURN_WAIT)
        self.expect_picture('0,255,0', 'a good program again draws the picture')
        self.demo.escape(TURN_WAIT * 1000)
        self.assertEqual(compile_folders(), [], 'the compiler\'s work folder is removed at the end')


class OverlayTest(LiveShaderFolder):
    OVERLAY = ()
    SIZE = (320, 180)
    MAGENTA = 'return float4(1, 0, 1, 1);'

    def screen(self):
        """The whole display as (width, height, RGB bytes)."""
        shot = os.path.join(WORK, 'screen.png')
        subprocess.run(['import', '-window', 'root', shot], check=True, capture_output=True)
        ppm = subprocess.run(['convert', shot, '-depth', '8', 'ppm:-'], check=True, capture_output=True).stdout
        magic, width, height, depth, pixels = ppm.split(maxsplit=4)
        self.assertEqual((magic, depth), (b'P6', b'255'))
        return int(width), int(height), pixels

    def window_regions(self):
        """Pixel kinds in two strips of the window's inside, which is found as the box of the flat
        magenta picture (the overlay keeps 4 pixels from every edge): the first text line at the
        top, the status line at the bottom; each strip's left half, as
        {'top'|'bottom': (magenta, darkened, glyph, other)}."""
        width, height, pixels = self.screen()
        def kind(at):
            r, g, b = pixels[at], pixels[at + 1], pixels[at + 2]
            if g > 150:
                return 2  # text: every overlay colour has much green, the picture none
            if g < 30 and abs(r - b) < 30:
                return 0 if r > 230 else 1 if 30 < r < 150 else 3
            return 3
        magenta = [(i // 3 % width, i // 3 // width) for i in range(0, len(pixels), 3)
                   if pixels[i] > 230 and pixels[i + 1] < 30 and pixels[i + 2] > 230]
        if not magenta:
            return None
        left, top = min(x for x, _ in magenta), min(y for _, y in magenta)
        right, bottom = max(x for x, _ in magenta) + 1, max(y for _, y in magenta) + 1
        if (right - left, bottom - top) != self.SIZE:
            return None  # not the whole picture yet
        found = {}
        for name, y0 in (('top', top + 4), ('bottom', bottom - 4 - 24)):
            counts = [0, 0, 0, 0]
            for y in range(y0, y0 + 24):
                for x in range(left + 4, left + self.SIZE[0] // 2):
                    counts[kind((y * width + x) * 3)] += 1
            found[name] = tuple(counts)
        return found

    def expect_regions(self, test, what):
        """Waits for the frames on their way to the screen until `test(regions)` holds."""
        for _ in range(FRAMES_IN_FLIGHT + 1):
            regions = self.window_regions()
            if regions and test(regions):
                return regions
            self.turns(1)
        regions = self.window_regions()
        self.assertTrue(regions and test(regions), f'{what}: {regions}')
        return regions

    @staticmethod
    def text_on_backdrop(counts):
        magenta, darkened, glyph, other = counts
        return darkened > 0.5 * sum(counts) and glyph >= 40 and other < 0.05 * sum(counts)

    def test_overlay(self):
        self.demo.expect(f'live shaders: {SHADERS}, compiled with .*compile-shader\\.sh', timeout=START_WAIT)
        self.turns(1)  # the files are watched from the first turn on
        self.save_combine(self.MAGENTA)
        reloaded = self.demo.expect(r'shader combinePS reloaded .*', timeout=TURN_WAIT)
        clean = self.expect_regions(lambda r: r['top'][0] == sum(r['top']) and self.text_on_backdrop(r['bottom']),
                                    'the picture with the status line and no error')

        self.save_combine('return float4(0, 1, 0, 1)')  # no semicolon
        failed = self.demo.expect('shader combinePS: failed to compile, it keeps its program', reloaded,
                                  timeout=TURN_WAIT)
        shown = self.expect_regions(lambda r: self.text_on_backdrop(r['top']), 'the error over the picture')
        shutil.copy(os.path.join(WORK, 'screen.png'), os.path.join(WORK, 'screen-error.png'))  # to look at
        print(f'without the error {clean}, with it {shown} (magenta, darkened, text, other)', file=sys.stderr)

        self.save_combine(self.MAGENTA)
        self.demo.expect(r'shader combinePS reloaded .*', failed, timeout=TURN_WAIT)
        self.expect_regions(lambda r: r['top'][0] == sum(r['top']) and self.text_on_backdrop(r['bottom']),
                            'the error gone once the file is fixed')


def pitches(recording, window=0.2, hop=0.05):
    """(seconds, semitones above C-4 or None for silence) for each window of the recording's left
    channel, from the middle half of the spacings of its upward zero crossings: a stretch of
    silence from the sink (it underruns now and then) makes one spacing long and leaves the
    middle alone."""
    with wave.open(recording) as w:
        frames = w.readframes(w.getnframes())
    left = memoryview(frames).cast('h')[::2]
    size, step = int(window * RATE), int(hop * RATE)
    found = []
    for start in range(0, len(left) - size, step):
        part = left[start:start + size]
        crossings = [i for i in range(1, size) if part[i - 1] < 0 <= part[i]]
        loud = max(abs(min(part)), max(part)) > 2000
        if not loud or len(crossings) < 10:
            found.append(((start + size / 2) / RATE, None))
            continue
        spacings = sorted(b - a for a, b in zip(crossings, crossings[1:]))
        middle = spacings[len(spacings) // 4:3 * len(spacings) // 4]
        frequency = RATE * len(middle) / sum(middle)
        found.append(((start + size / 2) / RATE, 12 * math.log2(frequency / 261.3)))
    return found


def fit(windows, octave):
    """The offset (recording seconds minus song seconds) at which the most windows hear the note
    the song plays then: floor(song second) mod 12 semitones, plus twelve for the octave song;
    windows near a step are left out. Returns (offset, share of windows that agree)."""
    best = (None, 0.0)
    for hundredth in range(-300, 1200):
        offset = hundredth / 100
        agree = counted = 0
        for at, semitones in windows:
            song = at - offset
            if song < 0 or abs(song - round(song)) < 0.15:
                continue
            counted += 1
            agree += abs(semitones - (12 * octave + int(song) % 12)) < 0.4
        if counted >= 10 and agree / counted > best[1]:
            best = (offset, agree / counted)
    return best


def silence_before_octave(recording, start, quiet=300):
    """The silence, in seconds, just before the octave song is first heard after `start` s: the
    quiet stretch (both channels within +-`quiet`) that ends at most 50 ms before the first 20 ms
    whose pitch is above the first song's highest note (494 Hz; the octave song's lowest is 523
    Hz); 0 when the first song runs straight into the second. The sine of the songs is never that
    quiet for more than a few frames, and the sink's underruns elsewhere do not count."""
    with wave.open(recording) as w:
        frames = w.readframes(w.getnframes())
    samples = memoryview(frames).cast('h')
    block = RATE // 50
    onset = None
    for at in range(int(start * RATE), len(samples) // 2 - block, block):
        left = samples[2 * at:2 * (at + block):2]
        crossings = [i for i in range(1, block) if left[i - 1] < 0 <= left[i]]
        if len(crossings) > 2 and RATE * (len(crossings) - 1) / (crossings[-1] - crossings[0]) > 508:
            onset = at
            break
    if onset is None:
        return None
    quiet_until = run = gap = 0
    for i in range(max(0, onset - 3 * RATE), onset + block):
        run = run + 1 if abs(samples[2 * i]) <= quiet and abs(samples[2 * i + 1]) <= quiet else 0
        if run and i >= onset - RATE // 20:
            gap = max(gap, run)
    return gap / RATE


class SongReloadTest(unittest.TestCase):
    def test_song_reload(self):
        tool = os.path.join(SOURCE, 'build/host/tests/e2e/staircase-songs')
        if not os.access(tool, os.X_OK):
            self.fail(f'{tool} is missing; build the host tools first (make host)')
        subprocess.run([tool, WORK], check=True)
        song = os.path.join(WORK, SONG)
        shutil.copy(os.path.join(WORK, 'staircase.xm'), song)
        with open(os.path.join(WORK, 'staircase-octave.xm'), 'rb') as f:
            octave = f.read()
        recording = os.path.join(WORK, 'recording.wav')
        recording_began = time.monotonic()
        recorder = subprocess.Popen(['parec', f'--device={os.environ["NIMBRA_SINK"]}.monitor', '--format=s16le',
                                     f'--rate={RATE}', '--channels=2', '--file-format=wav', recording])
        demo = Demo(free_port(), '--song', SONG)
        try:
            before = demo.wait_state(lambda s: s['music'] > 6.5 * RATE, '6.5 s of music')['music']
            save(song, octave)
            saved = time.monotonic() - recording_began
            restart = demo.expect(r'music \d+ \d+')
            frame, restart_ms = (int(v) for v in demo.lines[restart].split()[1:])
            demo.expect(f'song reloaded from {re.escape(SONG)}', restart)
            self.assertLess(frame - before, RATE, 'the new song starts where the music was when it was saved')
            demo.wait_state(lambda s: s['music'] > frame + 5 * RATE, '5 s of the new song')

            # Cut off in the first pattern's cells: the loader reads what is there, and the music goes
            # on; then bytes that are no module, which the loader refuses.
            save(song, octave[:336 + 9 + 5])
            after = demo.expect(f'song reloaded from {re.escape(SONG)}|song {re.escape(SONG)} .*, the old one plays on',
                                restart + 2)
            demo.still_turning()
            save(song, b'not a module')
            demo.expect(f'song {re.escape(SONG)} is refused by the loader \\(not an XM module it reads\\), '
                        'the old one plays on', after + 1)
            demo.still_turning()
            demo.escape()
        finally:
            demo.stop()
            recorder.terminate()
            recorder.wait()

        heard = pitches(recording)
        switch = next(at for at, semitones in heard if semitones is not None and semitones > 11.6)
        first, first_share = fit([w for w in heard if w[1] is not None and w[0] < switch - 0.2], 0)
        second, second_share = fit([w for w in heard if w[1] is not None and switch + 0.2 < w[0] < switch + 4.5], 1)
        # The silence before the new song is first heard (it is in the window that first hears
        # it): a device opened anew took 0.7 s and more to sound again under Wine.
        gap = silence_before_octave(recording, switch - 0.3)
        print(f'first song heard at offset {first:.2f} s ({first_share:.0%} of windows), the second at '
              f'{second:.2f} s ({second_share:.0%}); the switch at frame {frame} took {restart_ms} ms; '
              f'save to new sound: {(switch - saved) * 1000:.0f} ms; silence before the new song: {gap * 1000:.0f} ms',
              file=sys.stderr)
        self.assertGreater(first_share, 0.9, 'the first song is heard note for note')
        self.assertGreater(second_share, 0.9, 'the second song is heard note for note')
        # The second song goes on where the first was when it was saved: the offset between the
        # recording and the song grows by no more than a step of Wine's sink (it underruns now
        # and then), never by the 6.5 s the music had played (a start from the beginning) nor
        # shrinks (a jump ahead) by more than the fit's resolution.
        self.assertGreaterEqual(second - first, -0.05, 'the second song jumped ahead')
        self.assertLess(second - first, 2.0, 'the second song did not go on where the first was')
        # The new song takes over in the running stream: no pause to speak of at the switch.
        self.assertLess(gap, 0.25, 'the music paused at the song switch')


if __name__ == '__main__':
    case = {'shaders': 'ShaderReloadTest', 'song': 'SongReloadTest', 'overlay': 'OverlayTest'}.get(MODE)
    if not case:
        sys.exit(__doc__)
    unittest.main(argv=[sys.argv[0], case] + sys.argv[5:], verbosity=2)
