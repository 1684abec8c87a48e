#!/usr/bin/env python3
"""Breaks each rule listed in tests/mutants/*.txt once and sees whether its tests notice.

usage: scripts/mutants.py [--list] [--check] [-v] [PATTERN...]

Each entry (INI style, one block per edit) names a file, a text that occurs exactly once in it
and what to put in its place, a build (host, asan or win64) and a ctest regex. For each entry
whose name matches one of the PATTERNs (regular expressions, searched; all entries without
one) the runner applies the edit, builds what the tests run, runs them, and restores the file
byte for byte, also when interrupted. One line per entry:

    caught        a test failed
    SURVIVED      every test passed: the rule is not tested
    stale         the text does not occur exactly once any more (nothing is run)
    build-failed  the edit does not build (not a catch: fix the entry)
    no-tests      the regex names no test of that build

At the end the build folders are built again, so that they match the tree, and a line
"mutants: N caught, M survived, K stale" (and any build failures) is printed. Exit status 1
when any entry survived, failed to build, named no tests or was stale; 0 otherwise.

--list prints the entries; --check only checks that every entry applies (no builds); -v
prints the failures that caught each entry.
NIMBRA_BUILD_LOCK=FILE builds under `flock FILE`, for machines whose builds share a lock.
"""
import argparse
import configparser
import glob
import json
import os
import re
import signal
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILDS = {"host": "build/host", "asan": "build/asan", "win64": "build/win64"}
FIELDS = ("rule", "file", "find", "replace", "build", "test")


def unescape(text):
    """\\n is a line break, \\t a tab, \\\\ a backslash."""
    return re.sub(r"\\([nt\\])", lambda m: {"n": "\n", "t": "\t", "\\": "\\"}[m.group(1)], text)


def load_entries():
    entries, seen = [], {}
    for path in sorted(glob.glob(os.path.join(ROOT, "tests", "mutants", "*.txt"))):
        parser = configparser.ConfigParser(interpolation=None, delimiters=(":",), comment_prefixes=("#",),
                                           inline_comment_prefixes=None, strict=True)
        parser.optionxform = str
        with open(path, encoding="utf-8") as f:
            parser.read_file(f)
        where = os.path.relpath(path, ROOT)
        for name in parser.sections():
            section = parser[name]
            missing = [field for field in FIELDS if field not in section]
            if missing:
                sys.exit(f"{where}: [{name}] lacks {', '.join(missing)}")
            if section["build"] not in BUILDS:
                sys.exit(f"{where}: [{name}] build must be one of {', '.join(BUILDS)}")
            if name in seen:
                sys.exit(f"{where}: [{name}] is also in {seen[name]}")
            seen[name] = where
            entry = {field: section[field] for field in FIELDS}
            entry["name"] = name
            entry["find"] = unescape(entry["find"])
            entry["replace"] = unescape(entry["replace"])
            entries.append(entry)
    return entries


def run(command, **kwargs):
    # Programs under test print names in whatever bytes they were given (the Windows ones in the
    # ANSI code page); a byte that is no UTF-8 must not end the run.
    if kwargs.get("text"):
        kwargs.setdefault("errors", "replace")
    return subprocess.run(command, cwd=ROOT, **kwargs)


def locked(command):
    lock = os.environ.get("NIMBRA_BUILD_LOCK")
    return ["flock", lock] + command if lock else command


def build(folder, targets):
    command = ["cmake", "--build", folder, "-j", os.environ.get("JOBS", "2")]
    for target in targets or []:
        command += ["--target", target]
    return run(locked(command), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def ctest_command(entry, extra):
    command = ["ctest", "--test-dir", BUILDS[entry["build"]], "-R", entry["test"]] + extra
    if entry["build"] == "win64":
        command = ["bash", "scripts/session.sh", "--"] + command
    return command


def targets_of(entry, known):
    """The targets the named tests run, when each test runs a program of the build folder;
    None (build everything) when one runs a script, which may call anything."""
    folder = os.path.join(ROOT, BUILDS[entry["build"]])
    listing = run(["ctest", "--test-dir", folder, "-R", entry["test"], "--show-only=json-v1"],
                  capture_output=True, text=True)
    if listing.returncode != 0:
        return None, 0
    tests = json.loads(listing.stdout).get("tests", [])
    targets = set()
    for test in tests:
        command = test.get("command") or []
        programs = [os.path.basename(part)[:-4] if part.endswith(".exe") else os.path.basename(part)
                    for part in command if os.path.realpath(part).startswith(os.path.realpath(folder) + os.sep)]
        if not command or not programs or programs[0] not in known:
            return None, len(tests)
        targets.update(program for program in programs if program in known)
    return sorted(targets), len(tests)


def known_targets(folder):
    listing = run(["cmake", "--build", folder, "--target", "help"], capture_output=True, text=True)
    return {line.split(":")[0].strip() for line in listing.stdout.splitlines() if ":" in line}


def dirty(files):
    status = run(["git", "status", "--porcelain", "--"] + sorted(files), capture_output=True, text=True)
    return status.stdout.strip()


def main():
    parser = argparse.ArgumentParser(description="Break each listed rule once and see whether its tests notice.")
    parser.add_argument("patterns", nargs="*", help="regular expressions of the entries' names to run")
    parser.add_argument("--list", action="store_true", help="print the entries and stop")
    parser.add_argument("--check", action="store_true", help="only check that every entry applies")
    parser.add_argument("-v", "--verbose", action="store_true", help="print the failures that caught each entry")
    args = parser.parse_args()

    entries = [e for e in load_entries() if not args.patterns or any(re.search(p, e["name"]) for p in args.patterns)]
    if args.list:
        for e in entries:
            print(f"{e['name']:40} {e['build']:6} {e['file']}: {e['rule']}")
        return 0
    if not entries:
        sys.exit("mutants: no entry matches")
    if not args.check:
        changed = dirty({e["file"] for e in entries})
        if changed:
            sys.exit("mutants: these files have uncommitted changes, which a restore would not keep apart:\n" + changed)

    # An interruption or a kill restores the file like any other end.
    def stop(signum, frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGHUP, stop)

    counts = {"caught": 0, "SURVIVED": 0, "stale": 0, "build-failed": 0, "no-tests": 0}
    built = {}  # build folder -> targets built, None for everything
    known = {}
    for e in entries:
        path = os.path.join(ROOT, e["file"])
        try:
            with open(path, "rb") as f:
                original = f.read()
        except OSError:
            original = b""
        text = original.decode("utf-8", errors="surrogateescape")
        occurrences = text.count(e["find"]) if e["find"] else 0
        if occurrences != 1:
            verdict = "stale"
            detail = f"find occurs {occurrences} times in {e['file']}"
        elif args.check:
            verdict, detail = "ok", ""
        else:
            folder = BUILDS[e["build"]]
            if folder not in known:
                known[folder] = known_targets(folder) if os.path.isdir(os.path.join(ROOT, folder)) else None
            targets, tests = targets_of(e, known[folder]) if known[folder] is not None else (None, 0)
            if known[folder] is None:
                verdict, detail = "build-failed", f"{folder} is not configured (make {e['build']})"
            elif tests == 0:
                verdict, detail = "no-tests", f"no test of {folder} matches {e['test']}"
            else:
                mutated = text.replace(e["find"], e["replace"]).encode("utf-8", errors="surrogateescape")
                try:
                    with open(path, "wb") as f:
                        f.write(mutated)
                    if not build(folder, targets):
                        verdict, detail = "build-failed", f"{folder} does not build with the edit"
                    else:
                        result = run(ctest_command(e, ["--output-on-failure"]), capture_output=True, text=True)
                        verdict = "caught" if result.returncode != 0 else "SURVIVED"
                        lines = result.stdout.splitlines()
                        first = next((i for i, line in enumerate(lines) if ": Failure" in line or "ERROR:" in line), 0)
                        failures = lines[first:first + 10]
                        detail = e["test"] if verdict == "caught" else e["rule"]
                finally:
                    with open(path, "wb") as f:
                        f.write(original)
                if built.get(folder, []) is not None:
                    built[folder] = None if targets is None else sorted(set(built.get(folder, [])) | set(targets))
        if verdict == "ok":
            print(f"ok            {e['name']}", flush=True)
            continue
        counts[verdict] += 1
        print(f"{verdict:13} {e['name']}  ({detail})", flush=True)
        if args.verbose and verdict == "caught":
            for line in failures[:12]:
                print("    " + line)

    # Leave the build folders as the tree builds them.
    for folder, targets in built.items():
        if not build(folder, targets):
            print(f"mutants: {folder} does not build again after the restore", file=sys.stderr)

    if args.check:
        print(f"mutants: {len(entries) - counts['stale']} apply, {counts['stale']} stale")
        return 1 if counts["stale"] else 0
    line = f"mutants: {counts['caught']} caught, {counts['SURVIVED']} survived, {counts['stale']} stale"
    for extra in ("build-failed", "no-tests"):
        if counts[extra]:
            line += f", {counts[extra]} {extra}"
    print(line)
    return 1 if counts["SURVIVED"] or counts["stale"] or counts["build-failed"] or counts["no-tests"] else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        print("mutants: interrupted; the file being edited was restored", file=sys.stderr)
        sys.exit(130)
