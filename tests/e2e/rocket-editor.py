#!/usr/bin/env python3
"""A small sync editor for tests: it speaks the GNU Rocket protocol on the loopback address only.

It listens, accepts the demo, answers its greeting, numbers the tracks the demo asks for
(GET_TRACK) in the order asked and sends each the keys it holds, sends SET_KEY, DELETE_KEY,
SET_ROW, PAUSE, SAVE_TRACKS or raw bytes, and records the demo's SET_ROW reports. It can also
misbehave on purpose: never answer the greeting, answer it wrongly, close in the middle of a
message, send garbage.

As a library (the file name has a dash, so load it by path):

    found = importlib.util.spec_from_file_location('rocket_editor', 'tests/e2e/rocket-editor.py')
    rocket_editor = importlib.util.module_from_spec(found); found.loader.exec_module(rocket_editor)
    editor = rocket_editor.RocketEditor(port=1338)
    editor.accept(); editor.greet(); editor.wait_tracks(64)
    editor.set_key('FRAME', 0, 0.5, 4); editor.set_row(1600); editor.pause(False)
    editor.wait_rows(lambda rows: len(rows) >= 3)

From the command line, commands run in order (see --help):

    rocket-editor.py --port 1338 tracks 64 key FRAME 0 0.5 4 row 1600 pause 0 rows 10 save
"""
import argparse
import re
import socket
import struct
import sys
import threading
import time

DEMO_GREETING = b'hello, synctracker!'
EDITOR_GREETING = b'hello, demo!'
SET_KEY, DELETE_KEY, GET_TRACK, SET_ROW, PAUSE, SAVE_TRACKS = range(6)
LOOPBACK = ('127.0.0.1', '::1', 'localhost')


class EditorError(Exception):
    pass


class RocketEditor:
    """One listening editor; accept() takes the next connection from the demo."""

    def __init__(self, port=1338, host='127.0.0.1'):
        if host not in LOOPBACK:
            raise EditorError('the test editor listens on the loopback address only')
        family = socket.AF_INET6 if host == '::1' else socket.AF_INET
        self.listener = socket.socket(family, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(('127.0.0.1' if host == 'localhost' else host, port))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.keys = {}  # track name -> {row: (value, type)}: what the editor holds
        self.send_keys_on_request = True
        self.connection = None
        self._condition = threading.Condition()
        self._send_lock = threading.Lock()  # the reader thread answers GET_TRACK with keys
        self._reset_session()

    def _reset_session(self):
        self.track_names = []  # in the order the demo asked for them: the track numbers
        self.rows = []  # the demo's SET_ROW reports
        self.closed = False  # the demo closed this connection
        self.fault = None  # the demo sent something this editor cannot read
        self._reader = None

    # Connection -------------------------------------------------------------------------

    def accept(self, timeout=10.0):
        """Waits for the demo to connect; drops any earlier connection."""
        self.close()
        self.listener.settimeout(timeout)
        try:
            connection, _ = self.listener.accept()
        except socket.timeout:
            raise EditorError(f'no demo connected within {timeout} s') from None
        connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        with self._condition:
            self.connection = connection
            self._reset_session()
        return self

    def greet(self, answer=EDITOR_GREETING, timeout=10.0):
        """Reads the demo's greeting and answers it (answer=None: never answers). Then reads
        the demo's messages in the background."""
        received = self._receive_exactly(len(DEMO_GREETING), timeout)
        if received != DEMO_GREETING:
            raise EditorError(f'the demo greeted with {received!r}')
        if answer is not None:
            self.send_raw(answer)
        self._reader = threading.Thread(target=self._read_messages, args=(self.connection,), daemon=True)
        self._reader.start()
        return self

    def close(self):
        connection = self.connection
        self.connection = None
        if connection is not None:
            try:
                connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            connection.close()
        if self._reader is not None:
            self._reader.join(5.0)

    def stop(self):
        self.close()
        self.listener.close()

    def _receive_exactly(self, size, timeout):
        self.connection.settimeout(timeout)
        data = b''
        while len(data) < size:
            try:
                chunk = self.connection.recv(size - len(data))
            except socket.timeout:
                raise EditorError(f'the demo sent {len(data)} of {size} bytes within {timeout} s') from None
            if not chunk:
                raise EditorError('the demo closed the connection')
            data += chunk
        return data

    def _read_messages(self, connection):
        connection.settimeout(None)
        buffer = b''
        try:
            while True:
                try:
                    chunk = connection.recv(65536)
                except OSError:
                    chunk = b''
                if not chunk:
                    break
                buffer += chunk
                buffer = self._take_messages(buffer)
                if self.fault:
                    break
        finally:
            with self._condition:
                if connection is self.connection or self.connection is None:
                    self.closed = True
                self._condition.notify_all()

    def _take_messages(self, buffer):
        while buffer:
            command = buffer[0]
            if command == GET_TRACK:
                if len(buffer) < 5:
                    return buffer
                (length,) = struct.unpack('>I', buffer[1:5])
                if len(buffer) < 5 + length:
                    return buffer
                name = buffer[5:5 + length].decode('utf-8', 'replace')
                buffer = buffer[5 + length:]
                with self._condition:
                    index = len(self.track_names)
                    self.track_names.append(name)
                    self._condition.notify_all()
                if self.send_keys_on_request:
                    for row, (value, key_type) in sorted(self.keys.get(name, {}).items()):
                        self._send(SET_KEY, struct.pack('>IIfB', index, row, value, key_type))
            elif command == SET_ROW:
                if len(buffer) < 5:
                    return buffer
                (row,) = struct.unpack('>I', buffer[1:5])
                buffer = buffer[5:]
                with self._condition:
                    self.rows.append(row)
                    self._condition.notify_all()
            else:
                with self._condition:
                    self.fault = f'unknown command {command} from the demo'
                    self._condition.notify_all()
                return b''
        return buffer

    # Waiting -----------------------------------------------------------------------------

    def wait_for(self, predicate, timeout=10.0, what='the demo'):
        deadline = time.monotonic() + timeout
        with self._condition:
            while not predicate():
                left = deadline - time.monotonic()
                if left <= 0:
                    raise EditorError(f'timed out waiting for {what}')
                self._condition.wait(left)

    def wait_tracks(self, count, timeout=10.0):
        self.wait_for(lambda: len(self.track_names) >= count, timeout, f'{count} track requests')
        return list(self.track_names)

    def wait_rows(self, predicate, timeout=10.0):
        """Waits until predicate(list of reported rows) holds; returns the rows."""
        self.wait_for(lambda: predicate(list(self.rows)), timeout, 'row reports')
        return list(self.rows)

    def wait_closed(self, timeout=10.0):
        self.wait_for(lambda: self.closed, timeout, 'the demo to close the link')

    # Sending -----------------------------------------------------------------------------

    def track_index(self, track):
        if isinstance(track, int):
            return track
        with self._condition:
            if track not in self.track_names:
                raise EditorError(f'the demo never asked for the track {track}')
            return self.track_names.index(track)

    def _send(self, command, payload=b''):
        self.send_raw(bytes([command]) + payload)

    def send_raw(self, data):
        connection = self.connection
        if connection is None:
            raise EditorError('no demo connected')
        with self._send_lock:
            connection.sendall(data)

    @staticmethod
    def set_key_bytes(index, row, value, key_type):
        return bytes([SET_KEY]) + struct.pack('>IIfB', index, row, value, key_type)

    def hold_key(self, name, row, value, key_type=0):
        """Remembers a key without sending it: it goes to the demo when it asks for the track."""
        self.keys.setdefault(name, {})[row] = (value, key_type)

    def set_key(self, track, row, value, key_type=0):
        """Sets a key and remembers it (value as a 32-bit float, key_type 0..4)."""
        index = self.track_index(track)
        if not isinstance(track, int):
            self.keys.setdefault(track, {})[row] = (value, key_type)
        self.send_raw(self.set_key_bytes(index, row, value, key_type))

    def set_key_bits(self, track, row, bits, key_type=0):
        """A key whose value is given as its bit pattern (NaN and such)."""
        self._send(SET_KEY, struct.pack('>IIIB', self.track_index(track), row, bits, key_type))

    def delete_key(self, track, row):
        if not isinstance(track, int):
            self.keys.get(track, {}).pop(row, None)
        self._send(DELETE_KEY, struct.pack('>II', self.track_index(track), row))

    def set_row(self, row):
        self._send(SET_ROW, struct.pack('>I', row))

    def pause(self, paused):
        self._send(PAUSE, bytes([1 if paused else 0]))

    def save_tracks(self):
        self._send(SAVE_TRACKS)

    # Misbehaving -------------------------------------------------------------------------

    def send_garbage(self, size=16):
        """Bytes that start with a command no editor sends."""
        self.send_raw(bytes([0x7F]) + bytes((i * 37 + 11) & 0xFF for i in range(size - 1)))

    def close_mid_message(self, cut=7):
        """Sends the first `cut` bytes of a SET_KEY and closes the connection."""
        self.send_raw(self.set_key_bytes(0, 1, 1.0, 0)[:cut])
        self.close()


class LogLines:
    """The lines a demo writes to `stream` (those that start with `prefix`, without it),
    collected in the background so that a test can wait for them in order."""

    def __init__(self, stream, prefix='', process=None):
        self.lines = []
        self.times = []  # when each line was read (time.monotonic())
        self.prefix = prefix
        self.process = process
        self._condition = threading.Condition()
        self.reader = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.reader.start()

    def _read(self, stream):
        for line in stream:
            line = line.rstrip('\r\n')
            if line.startswith(self.prefix):
                with self._condition:
                    self.lines.append(line[len(self.prefix):])
                    self.times.append(time.monotonic())
                    self._condition.notify_all()

    def expect(self, pattern, after=0, timeout=10.0):
        """The index of the first line at `after` or later that matches `pattern` whole."""
        expression = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self._condition:
            while True:
                for index in range(after, len(self.lines)):
                    if expression.fullmatch(self.lines[index]):
                        return index
                if self.process is not None and self.process.poll() is not None:
                    raise AssertionError(f'the demo ended (code {self.process.returncode}) before a line like '
                                         f'{pattern!r}; last lines: {self.lines[-20:]}')
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError(f'no line like {pattern!r} after {after}; last lines: {self.lines[-20:]}')
                self._condition.wait(min(left, 0.5))

    def count(self):
        with self._condition:
            return len(self.lines)

    def matching(self, start=0, end=None):
        with self._condition:
            return list(self.lines[start:end])


def main():
    parser = argparse.ArgumentParser(
        description='A test editor for the GNU Rocket protocol on the loopback address.',
        epilog='commands: tracks N | key TRACK ROW VALUE TYPE | delete TRACK ROW | row ROW | pause 0|1 | '
               'save | raw HEX | garbage N | cut N | rows N | wait SECONDS | close. '
               'TRACK is a name or a number.')
    parser.add_argument('--host', default='127.0.0.1')
    parser.add_argument('--port', type=int, default=1338)
    parser.add_argument('--timeout', type=float, default=30.0, help='seconds to wait for the demo')
    parser.add_argument('--no-greeting', action='store_true', help='never answer the greeting')
    parser.add_argument('--greeting', help='answer the greeting with this text instead')
    parser.add_argument('commands', nargs='*')
    options = parser.parse_args()

    editor = RocketEditor(options.port, options.host)
    print(f'listening on {options.host}:{editor.port}', flush=True)
    editor.accept(options.timeout)
    answer = None if options.no_greeting else (options.greeting.encode() if options.greeting else EDITOR_GREETING)
    editor.greet(answer, options.timeout)
    print('greeted' if answer is not None else 'greeting left unanswered', flush=True)

    def track(text):
        return int(text) if text.isdigit() else text

    words = list(options.commands)
    shown = 0
    while words:
        word = words.pop(0)
        if word == 'tracks':
            count = int(words.pop(0))
            for index, name in enumerate(editor.wait_tracks(count, options.timeout)):
                print(f'track {index} {name}')
        elif word == 'key':
            name, row, value, key_type = words[:4]
            del words[:4]
            editor.set_key(track(name), int(row), float(value), int(key_type))
        elif word == 'delete':
            name, row = words[:2]
            del words[:2]
            editor.delete_key(track(name), int(row))
        elif word == 'row':
            editor.set_row(int(words.pop(0)))
        elif word == 'pause':
            editor.pause(words.pop(0) == '1')
        elif word == 'save':
            editor.save_tracks()
        elif word == 'raw':
            editor.send_raw(bytes.fromhex(words.pop(0)))
        elif word == 'garbage':
            editor.send_garbage(int(words.pop(0)))
        elif word == 'cut':
            editor.close_mid_message(int(words.pop(0)))
        elif word == 'rows':
            # The next `count` reports, however many more have come in meanwhile.
            count = int(words.pop(0))
            rows = editor.wait_rows(lambda rows: len(rows) >= shown + count, options.timeout)
            for row in rows[shown:shown + count]:
                print(f'row {row}')
            shown += count
        elif word == 'wait':
            time.sleep(float(words.pop(0)))
        elif word == 'close':
            editor.close()
        else:
            parser.error(f'unknown command {word}')
        sys.stdout.flush()
    editor.stop()


if __name__ == '__main__':
    try:
        main()
    except EditorError as error:
        print(f'rocket-editor: {error}', file=sys.stderr)
        sys.exit(1)
