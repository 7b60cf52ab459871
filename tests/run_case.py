#!/usr/bin/env python3
# Runs one case file of tests/cases (the format is described in
# tests/cases/README.md): builds its history file in a fresh folder, runs the
# tool there for each `run` line, and compares the exit status, standard
# output and error, and the files the case names, byte for byte.
#
# Usage: run_case.py CASE TOOL...  (TOOL may start with a wrapper, such as
# cmake/wine-run PREFIX). A case marked `linux` is skipped (status 77) when
# the tool is a .exe.
import os, shlex, struct, subprocess, sys, tempfile

FIELDS = {'RawZero': (112, '<f'), 'RawFull': (116, '<f'), 'EngZero': (120, '<f'),
          'EngFull': (124, '<f'), 'SamplePeriodMS': (186, '<i'), 'StartTime': (202, '<i'),
          'EndTime': (206, '<i')}


def unescape(text):  # C escapes (\n, \t, \xNN, \\) decoded; UTF-8 stays UTF-8
    return text.encode().decode('unicode_escape').encode('latin-1')


def parse(path):
    # Unnamed header bytes hold a pattern, so that a field read from the
    # wrong place shows; the title and the numbers start as zeros.
    history = bytearray(0xA0 + i % 31 for i in range(226))
    history[144:176] = bytes(32)
    for offset, _ in FIELDS.values():
        history[offset:offset + 4] = bytes(4)
    case = {'history': history, 'name': 'in.hst', 'linux': False, 'setup': [], 'runs': []}
    block = None
    for line in open(path, encoding='utf-8').read().splitlines():
        if line.startswith('|') and block is not None:  # |text| ends in CR LF, |text does not
            block += unescape(line[1:-1]) + b'\r\n' if line.endswith('|') else unescape(line[1:])
            continue
        key, _, value = line.partition(' ')
        run = case['runs'][-1] if case['runs'] else {}
        block = None
        if not line.strip() or line.startswith('#'):
            pass
        elif key == 'Title':
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
        elif key == 'bytes':
            history += bytes.fromhex(value)
        elif key == 'cut':
            del history[int(value):]
        elif key == 'history':
            case['name'] = value
        elif key == 'linux':
            case['linux'] = True
        elif key in ('mkdir', 'link', 'write'):
            block = bytearray()
            case['setup'].append((key, value, block))
        elif key == 'run':
            case['runs'].append({'args': [unescape(arg) for arg in shlex.split(value)],
                                 'status': 0, 'stdout': bytearray(), 'stderr': b''})
        elif key == 'status':
            run['status'] = int(value)
        elif key in ('stdout', 'file'):
            block = run[value or key] = bytearray()
        elif key == 'absent':
            run[value] = None
        else:
            sys.exit(f'{path}: unknown line: {line}')
    return case


def main(case_path, tool):
    case = parse(case_path)
    if case['linux'] and tool[-1].endswith('.exe'):
        return 77
    failures = []
    with tempfile.TemporaryDirectory(prefix='vindolar-case-') as folder:
        history = os.path.join(folder, case['name'])
        with open(history, 'wb') as file:
            file.write(case['history'])
        for action, name, contents in case['setup']:
            path = os.path.join(folder, name)
            if action == 'mkdir':
                os.makedirs(path)
            elif action == 'link':
                os.link(history, path)
            else:
                with open(path, 'wb') as file:
                    file.write(contents)
        for run in case['runs']:
            args = run.pop('args')
            done = subprocess.run(tool + args, cwd=folder, capture_output=True)
            got = {'status': done.returncode, 'stdout': done.stdout, 'stderr': done.stderr}
            for name, want in run.items():
                path = os.path.join(folder, name)
                if name not in got:  # a file, or None when it may not exist
                    got[name] = open(path, 'rb').read() if os.path.exists(path) else None
                if got[name] != want:
                    failures.append(f'run {args}: {name}\n  got      {got[name]!r}'
                                    f'\n  expected {want!r}')
    print('\n'.join(failures) or f'{len(case["runs"])} runs as expected')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2:]))
