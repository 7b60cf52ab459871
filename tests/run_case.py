#!/usr/bin/env python3
# Runs one case of tests/cases (its README describes the format): builds the
# history file in.hst in a fresh folder, runs the tool there for each `run`
# line, and compares the exit status, standard output and error, and the
# files the case names, byte for byte.
#
# Usage: run_case.py CASE SYSTEM TOOL...  (SYSTEM is CMake's name of the
# target system; TOOL may start with a wrapper, such as cmake/wine-run PREFIX).
import os, shlex, struct, subprocess, sys, tempfile, threading, time
from pathlib import Path

FIELDS = {'RawZero': (112, '<f'), 'RawFull': (116, '<f'), 'EngZero': (120, '<f'),
          'EngFull': (124, '<f'), 'SamplePeriodMS': (186, '<i'), 'StartTime': (202, '<i'),
          'EndTime': (206, '<i')}


def unescape(text):  # C escapes (\n, \t, \xNN, \\) decoded; UTF-8 stays UTF-8
    return text.encode().decode('unicode_escape').encode('latin-1')


def run_tool(command, folder, run):
    """Runs the tool, feeding in.hst to its standard input or to a FIFO,
    draining a FIFO, or closing standard output after N bytes. The other end
    of a FIFO comes late: the tool must wait for it. A hang is a failure."""
    feed, drain, keep = (run.pop(key, None) for key in ('feed', 'drain', 'stdout-closes'))
    history = Path(folder, 'in.hst').read_bytes()
    proc = subprocess.Popen(command, cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, restore_signals=run.pop('sigpipe', '') != 'ignored')
    got = {}
    def drain_fifo():
        got[drain] = (b'(ended before its reader came)' if proc.poll() is not None
                      else Path(folder, drain).read_bytes())
    timers = [threading.Timer(0.5, drain_fifo)] if drain else []
    if feed not in (None, 'stdin'):
        timers.append(threading.Timer(0.3, Path(folder, feed).write_bytes, [history]))
    for timer in timers:
        timer.daemon = True
        timer.start()
    if keep:
        got['stdout'] = proc.stdout.read(keep)
        proc.stdout.close()
    try:
        out, got['stderr'] = proc.communicate(history if feed == 'stdin' else b'', timeout=60)
    except subprocess.TimeoutExpired:
        proc.kill()
        return {'status': 'no end within 60 s'}
    for timer in timers:
        timer.join(5)
    return {'stdout': out, drain: None, **got, 'status': proc.returncode}


def main(case_path, system, tool):
    # Unnamed header bytes hold a pattern, so that a field read from the
    # wrong place shows; the title and the numbers start as zeros.
    history = bytearray(0xA0 + i % 31 for i in range(226))
    history[144:176] = bytes(32)
    for offset, _ in FIELDS.values():
        history[offset:offset + 4] = bytes(4)
    links, fifos, runs, block = [], [], [], None
    for line in open(case_path, encoding='utf-8').read().splitlines():
        if line.startswith('|') and block is not None:  # |text| ends in CR LF, |text does not
            block += unescape(line[1:-1]) + b'\r\n' if line.endswith('|') else unescape(line[1:])
            continue
        key, _, value = line.partition(' ')
        block = None
        if key == 'Title':
            history[144:176] = unescape(value)[:32].ljust(32, b'\0')
        elif key in FIELDS:  # a number, or 0x... for the bits of a float
            offset, form = FIELDS[key]
            bits = value.startswith('0x')
            number = int(value, 16) if bits else float(value) if form == '<f' else int(value)
            history[offset:offset + 4] = struct.pack('<I' if bits else form, number)
        elif key == 'samples':  # VALUE or VALUE*COUNT
            for word in value.split():
                sample, _, count = word.partition('*')
                history += struct.pack('<H', int(sample, 0) & 0xFFFF) * int(count or 1)
        elif key == 'cut':
            del history[int(value):]
        elif key == 'link':
            links.append(value)
        elif key == 'run':
            runs.append({'args': [unescape(arg) for arg in shlex.split(value)], 'status': 0,
                         'stdout': b'', 'stderr': b''})
        elif key == 'status':
            runs[-1]['status'] = int(value)
        elif key in ('stdout', 'file'):
            block = runs[-1][value or key] = bytearray()
        elif key == 'absent':
            runs[-1][value] = None
        elif key in ('feed', 'drain', 'stdout-closes', 'sigpipe', 'only'):  # see run_tool
            runs[-1][key] = int(value) if key == 'stdout-closes' else value
        elif key == 'fifo':
            fifos.append(value)
        elif line.strip() and not line.startswith('#'):
            sys.exit(f'{case_path}: unknown line: {line}')

    failures = []
    with tempfile.TemporaryDirectory(prefix='vindolar-case-') as folder:
        Path(folder, 'in.hst').write_bytes(history)
        for name in links:  # other names for the history file
            os.link(Path(folder, 'in.hst'), Path(folder, name))
        for name in fifos:
            os.mkfifo(Path(folder, name))
        runs = [run for run in runs if run.pop('only', system) == system]
        for run in runs:
            args = run.pop('args')
            got = run_tool(tool + args, folder, run)
            for name, want in run.items():
                if name not in got:  # a file, or None when it may not exist
                    path = Path(folder, name)
                    got[name] = path.read_bytes() if path.exists() else None
                if got[name] != want:
                    failures.append(f'run {args}: {name}\n  got      {got[name]!r}\n'
                                    f'  expected {want!r}')
    print('\n'.join(failures) or f'{len(runs)} runs as expected')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
