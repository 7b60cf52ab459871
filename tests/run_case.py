#!/usr/bin/env python3
# Runs one case of tests/cases (its README describes the format): builds the
# history file in.hst in a fresh folder, runs the tool there for each `run`
# or `sh` line, and compares the exit status, standard output and error, and
# the files the case names, byte for byte. A malformed case file ends the
# script with its file name and line number.
#
# Usage: run_case.py CASE SYSTEM TOOL...  (SYSTEM is CMake's name of the
# target system; TOOL may start with a wrapper, such as cmake/wine-run PREFIX).
import os, shlex, struct, subprocess, sys, tempfile
from pathlib import Path

FIELDS = dict(RawZero=(112, '<f'), RawFull=(116, '<f'), EngZero=(120, '<f'), EngFull=(124, '<f'),
              SamplePeriodMS=(186, '<i'), StartTime=(202, '<i'), EndTime=(206, '<i'))


def unescape(text):  # C escapes (\n, \t, \xNN, \\) decoded; UTF-8 stays UTF-8
    return text.encode().decode('unicode_escape').encode('latin-1')


# The status, output and error of one run. After 60 s it is stopped with
# everything it started, and its status is 124, as timeout(1) gives; when it
# ends in time, what it left running in the background is stopped too. The
# run has a process group of its own, which it gives a watcher before it
# starts; the watcher, outside this script's group, stops that group once
# its pipe closes: when the run is over, or when this script is killed in
# any way (as a harness kills ctest with its process group).
def run(args, folder):
    watcher = subprocess.Popen(['sh', '-c', 'read group; read _; kill -KILL -$group'],
                               stdin=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    process = subprocess.Popen(args, cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, start_new_session=True, preexec_fn=lambda:
                               os.write(watcher.stdin.fileno(), b'%d\n' % os.getpid()))
    try:
        (out, err), status = process.communicate(timeout=60), None
    except subprocess.TimeoutExpired:
        status = 124
    watcher.communicate()  # the group is stopped: the pipes reach their end
    out, err = process.communicate() if status else (out, err)
    return {'status': status or process.returncode, 'stdout': out, 'stderr': err}


def main(case_path, system, tool):
    # Unnamed header bytes hold a pattern, so that a field read from the
    # wrong place shows; the title and the numbers start as zeros.
    named = {i for offset, _ in FIELDS.values() for i in range(offset, offset + 4)}
    history = bytearray(0 if i in named or 144 <= i < 176 else 0xA0 + i % 31 for i in range(226))
    names, runs, block, cut = [], [], None, None
    for number, line in enumerate(open(case_path, encoding='utf-8').read().splitlines(), 1):
        if line.startswith('  ') and runs and runs[-1]['sh'] and block is None:
            runs[-1]['args'][2] += '\n' + line[2:]  # an indented line goes on with the script
            continue
        if line == 'default header':  # an empty title and every number zero
            line = (r'|\r\nRawZero = 0.00; RawFull = 0.00; EngZero = 0.00; EngFull = 0.00\r\n'
                    r'SamplePeriodMS = 0; StartTime = 0; EndTime = 0 |')
        key, _, value = line.partition(' ')
        if line.startswith('|') and block is not None:  # |text| ends in CR LF, |text does not
            block += unescape(line[1:-1]) + b'\r\n' if line.endswith('|') else unescape(line[1:])
            continue
        block = None
        try:
            if key == 'Title':
                history[144:176] = unescape(value)[:32].ljust(32, b'\0')
            elif key in FIELDS:  # a number, or 0x... for the bits of a float
                offset, form = FIELDS[key]
                bits = value.startswith('0x')
                field = int(value, 16) if bits else float(value) if form == '<f' else int(value)
                history[offset:offset + 4] = struct.pack('<I' if bits else form, field)
            elif key == 'samples':  # VALUE or VALUE*COUNT
                for word in value.split():
                    sample, _, count = word.partition('*')
                    history += struct.pack('<H', int(sample, 0) & 0xFFFF) * int(count or 1)
            elif key == 'cut':
                cut = int(value)
            elif key in ('link', 'fifo'):
                names.append((key, value))
            elif key in ('run', 'sh', 'setup'):  # sh, setup: a bash script, the tool its "$@"
                script = key != 'run'
                args = (['bash', '-c', value, 'bash'] if script else
                        [unescape(arg) for arg in shlex.split(value)])
                # A setup is a fixture: it must succeed, no more.
                runs.append({'args': args, 'sh': script, 'history': bytes(history[:cut]),
                             'status': 0, 'stdout': b'', 'stderr': b'', 'setup': key == 'setup'})
            elif key in ('stdout', 'stderr', 'file'):
                block = runs[-1][value or key] = bytearray()
            elif key == 'absent':
                runs[-1][value] = None
            elif key in ('status', 'only'):
                runs[-1][key] = int(value) if key == 'status' else value
            elif line.strip() and not line.startswith('#'):
                raise ValueError(f'unknown key {key!r}')
        except (ValueError, struct.error, IndexError) as error:  # a bad value, or before any run
            sys.exit(f'{case_path}:{number}: {key}: {error}')
    failures = []
    with tempfile.TemporaryDirectory(prefix='vindolar-case-') as folder:
        Path(folder, 'in.hst').write_bytes(written := b'')
        for key, name in names:  # another name for the history file, or a FIFO
            path = Path(folder, name)
            os.mkfifo(path) if key == 'fifo' else os.link(Path(folder, 'in.hst'), path)
        runs = [want for want in runs if want.pop('only', system) == system]
        steps = sum(not want['setup'] for want in runs)
        for want in runs:
            args, sh, history = want.pop('args'), want.pop('sh'), want.pop('history')
            if history != written:  # the lines since the last run changed it
                Path(folder, 'in.hst').write_bytes(written := history)
            got = run(args + tool if sh else tool + args, folder)
            if want.pop('setup'):
                if got['status'] == 77:  # the machine cannot make the fixture: skipped
                    print(f"skipped: {got['stderr'].decode(errors='replace').strip()}")
                    return 77
                if got['status'] != 0:
                    failures.append(f"setup {args}: status {got['status']}\n  {got['stderr']!r}")
                continue
            for name, expected in want.items():
                if name not in got:  # a file, or None when it may not exist
                    got[name] = Path(folder, name).read_bytes() if Path(folder, name).exists() else None
                if got[name] != expected:
                    failures.append(f'run {args}: {name}\n  got      {got[name]!r}\n'
                                    f'  expected {expected!r}')
    print('\n'.join(failures) or f'{steps} runs as expected')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
