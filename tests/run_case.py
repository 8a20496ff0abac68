#!/usr/bin/env python3
# Runs one end-to-end case file; or writes fuzz seeds made from case files.
#
# usage: run_case.py [--bin DIR] [--work DIR] [--crlf] [--no-memory-limit] CASE [EMULATOR...]
#        run_case.py --seeds OUT_DIR CASE_OR_FOLDER...
#
# A case is one file, tests/cases/<name>.case, that holds everything about it:
#
#     # The first line says what the case is for, in one line.
#     $ runcheck
#     expect excerpt verdict
#
#     $ runcheck-explain
#     expect status 1
#     expect output explained
#
#     -- replacement_input.txt --
#     1
#     3
#     30 10 20
#     -- replacement_output.txt --
#     1
#     10 30 20
#     -- verdict --
#     run 0 is wrong
#     ....FAILED
#     -- explained --
#     replacement_output.txt: test case 1 failed
#       line 2: run 0 is wrong at position 1: expected 20, found 30
#         expected: 10 [20] 30
#         read:     10 [30] 20
#     replacement_output.txt: FAIL, 0 of 1 test cases passed
#
# Sections. From the first line `-- NAME --` on, the file is sections: each
# holds the lines below its header up to the next header or the end of the
# file, every line ending with a line break (LF). `-- NAME (no final line
# break) --` drops the last one, as runcheck's output needs: it ends with its
# prompt. A section that an `expect` line names is an expected output; every
# other section is a file, written into an empty directory where the commands
# run. `-- NAME (CR LF line ends) --` ends each of its lines with CR LF, as
# an output whose format asks for them does on every system (CSV). Every
# byte stands for itself (tabs and trailing spaces count); but a
# case file holds no CR byte, and a file with bytes that are hard to see or to
# keep (CR, NUL, a byte order mark) or too large to write out is made by a
# generator instead.
#
# Lines above the sections, blank lines and # comments aside, say what to lay
# out and what to run:
#
#     NAME = EXPRESSION    a file made by a one-line Python expression giving str
#                          (written as UTF-8) or bytes: "2\r\n10\r\n",
#                          "9" * 50_000_000, "400\n" + "1\n-3\n" * 400
#     mkdir NAME | mkfifo NAME | ln -s TARGET NAME
#                          a directory, a named pipe no one writes to, a link
#                          (ln -s /dev/zero NAME: a device); a file no line or
#                          section names is absent
#     posix-only           the case is skipped (exit status 77) under an emulator
#                          and where POSIX features are not to be had
#     with NAME = V1 V2... a family: the case runs once per value, each time on a
#                          fresh file set, with ${NAME} replaced by the value
#                          everywhere in the file (several with lines: every
#                          combination); its cases differ only in those values
#     $ PROGRAM ARG...     runs runcheck or runcheck-explain, the arguments split as
#                          a shell would; the lines after it set up and check it:
#       stdin empty | closed           (default: /dev/null)
#       stdout /dev/full | closed | pipe N | limit N
#                          (default: a file; pipe N: a pipe its reader closes
#                          after N bytes; limit N: a file-size limit of N bytes)
#       time N             it must end within N seconds (default 60; three times
#                          that under an emulator)
#       memory N           it runs in N MiB of address space (natively; not with
#                          --no-memory-limit, which a sanitizer build passes)
#       expect status N    its exit status (default 0)
#       expect output S    its whole standard output is section S
#       expect excerpt S   the lines of S stand in it as consecutive whole lines
#       expect start S     it starts with the bytes of S
#       expect size N      it is N bytes long, a line break counted as one byte
#       expect unchanged   the files are as they were laid out
#       expect stderr TEXT its standard error holds TEXT, the rest of the line as written
#       expect stderr-whole S
#                          its whole standard error is section S
#
# Commands run one after the other on the same files. With --crlf every line
# break of an expected output is compared as CR LF, as a Windows build prints.
# --bin names the programs' directory, --work a scratch directory (emptied
# first), EMULATOR a command that runs them (wine). Exit status: 0 the case
# passed, 1 it failed, 77 it was skipped.
#
# --seeds writes, from the two files of every case, the seeds of fuzz_program
# (OUT_DIR/program/<case>) and fuzz_reading (OUT_DIR/reading/<case>.input and
# .output; their formats are at the top of fuzz/*_fuzz.cpp). A case with a
# device, or with more than 64 KiB in its files, gives none.
import os, re, shlex, shutil, subprocess, sys, threading, zlib

HEADER = re.compile(r"-- (\S+)( \(no final line break\)| \(CR LF line ends\))? --")
SKIP = 77


class CaseError(Exception):
    pass


WITH = re.compile(r"with (\w+) = (.+)")


def family(path):
    """The case file's members: [(label, text)], one per combination of its `with` values
    (a single member, labelled "", for a case without them)."""
    data = open(path, "rb").read()
    if b"\r" in data:
        raise CaseError("a case file holds no CR byte: write the file with a generator")
    text = data.decode("utf-8")
    if not text.startswith("# "):
        raise CaseError("the first line is a # comment that says what the case is for")
    head = text.split("\n-- ", 1)[0].split("\n")
    members = [("", text)]
    for line in head:
        m = WITH.fullmatch(line.strip())
        if m:
            members = [(f"{label} {m[1]}={value}".strip(), member.replace(line, "#").replace("${" + m[1] + "}", value))
                       for label, member in members for value in m[2].split()]
    unreplaced = [label for label, member in members if re.search(r"\$\{\w+\}", member)]
    if unreplaced:
        raise CaseError("${...} without a with line that gives its values")
    return members


def parse(text):
    """The case as (script lines, {section: bytes})."""
    lines, script, sections, name = text.split("\n"), [], {}, None
    if lines[-1] == "":
        lines.pop()
    for line in lines:
        header = HEADER.fullmatch(line)
        if header:
            if header[1] in sections:
                raise CaseError(f"two sections named {header[1]}")
            name, sections[header[1]] = header[1], [header[2], ""]
        elif name:
            sections[name][1] += line + "\n"
        else:
            script.append(line)
    return script, {n: (t[:-1] if how == " (no final line break)" else t.replace("\n", "\r\n") if how else t).encode()
                    for n, (how, t) in sections.items()}


def read_script(script, sections):
    """Places ({name: bytes | ("mkdir",) | ("mkfifo",) | ("ln", target)}), commands, posix-only."""
    places, commands, posix = dict(sections), [], False
    for line in script:
        line, words = line.strip(), line.split()
        generated = re.fullmatch(r"(\S+) = (.+)", line)
        if not words or words[0].startswith("#"):
            continue
        elif words[0] == "$":
            commands.append({"argv": shlex.split(line[1:]), "stdin": "null", "stdout": "file", "time": 60,
                             "memory": None, "status": 0, "checks": []})
        elif generated:
            value = eval(generated[2], {"__builtins__": {}})  # noqa: S307, the case's own expression
            places[generated[1]] = value.encode() if isinstance(value, str) else bytes(value)
        elif words == ["posix-only"]:
            posix = True
        elif words[0] in ("mkdir", "mkfifo") and len(words) == 2:
            places[words[1]] = (words[0],)
        elif words[:2] == ["ln", "-s"] and len(words) == 4:
            places[words[3]] = ("ln", words[2])
        elif not commands:
            raise CaseError(f"not a placement: {line}")
        elif re.fullmatch(r"stdin (empty|closed)|stdout (/dev/full|closed|pipe \d+|limit \d+)", line):
            commands[-1][words[0]] = " ".join(words[1:])
        elif re.fullmatch(r"(time|memory) \d+", line):
            commands[-1][words[0]] = int(words[1])
        elif re.fullmatch(r"expect status \d+", line):
            commands[-1]["status"] = int(words[2])
        elif re.fullmatch(r"expect ((output|excerpt|start|stderr-whole) \S+|size \d+|unchanged)", line):
            commands[-1]["checks"].append(words[1:])
        elif re.fullmatch(r"expect stderr \S.*", line):
            commands[-1]["checks"].append(["stderr", line[len("expect stderr "):]])
        else:
            raise CaseError(f"not a setting or a check: {line}")
    expected = {c[1] for command in commands for c in command["checks"] if c[0] in ("output", "excerpt", "start", "stderr-whole")}
    missing = expected - sections.keys()
    if missing:
        raise CaseError(f"no section {', '.join(sorted(missing))}")
    return {n: p for n, p in places.items() if n not in expected}, commands, posix


def lay_out(places, folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, how in places.items():
        path = os.path.join(folder, name)
        if isinstance(how, bytes):
            open(path, "wb").write(how)
        elif how[0] == "mkdir":
            os.mkdir(path)
        elif how[0] == "mkfifo":
            os.mkfifo(path)
        else:
            os.symlink(how[1], path)


def snapshot(folder):
    """Every entry of the folder with its kind, and the bytes of regular files."""
    found = {}
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        found[name] = open(path, "rb").read() if os.path.isfile(path) and not os.path.islink(path) \
            else (os.path.islink(path), os.path.isdir(path), os.path.exists(path))
    return found


def run(command, folder, work, options):
    """Runs one command in `folder`: its exit status (None when killed at its time limit),
    standard output and standard error."""
    program = os.path.abspath(os.path.join(options["bin"], command["argv"][0]))
    program += ".exe" if os.path.exists(program + ".exe") else ""
    stdin, (stdout, *n) = command["stdin"], command["stdout"].split()
    memory = options["memory"] and not options["emulator"] and os.name == "posix" and command["memory"]
    out_path, empty_path = os.path.join(work, "stdout"), os.path.join(work, "empty")
    open(empty_path, "wb").close()

    def child():  # in the new process, before the program starts
        import resource
        if memory:
            resource.setrlimit(resource.RLIMIT_AS, (memory << 20, memory << 20))
        if stdout == "limit":
            resource.setrlimit(resource.RLIMIT_FSIZE, (int(n[0]), int(n[0])))
        for fd, how in ((0, stdin), (1, stdout)):
            if how == "closed":
                os.close(fd)

    # Standard error goes to a file too: Wine's helper programs keep a pipe open after the program ends.
    with open(empty_path, "rb") as empty, open("/dev/full" if stdout == "/dev/full" else out_path, "wb") as out, \
            open(os.path.join(work, "stderr"), "w+b") as err:
        process = subprocess.Popen(
            options["emulator"] + [program] + command["argv"][1:], cwd=folder, stderr=err,
            stdin={"null": subprocess.DEVNULL, "empty": empty, "closed": None}[stdin],
            stdout={"closed": None, "pipe": subprocess.PIPE}.get(stdout, out),
            preexec_fn=child if memory or stdout == "limit" or "closed" in (stdin, stdout) else None)
        killed = []
        timer = threading.Timer(command["time"] * (3 if options["emulator"] else 1), lambda: killed.append(process.kill()))
        timer.start()
        data = b""
        if stdout == "pipe":
            data = process.stdout.read(int(n[0]))
            process.stdout.close()
        status = process.wait()
        timer.cancel()
        err.seek(0)
        errors = err.read()
    if stdout in ("file", "limit"):
        data = open(out_path, "rb").read()
    return (None if killed else status), data, errors


def shown(text):
    """Bytes as lines for a diff: CR shown as \\r, a missing final line break said."""
    lines = text.decode("utf-8", "backslashreplace").replace("\r", "\\r").splitlines(keepends=True)
    return lines[:-1] + [lines[-1] + "\n[no line break]\n"] if lines and not lines[-1].endswith("\n") else lines


def check(command, status, out, err, sections, before, folder, crlf):
    """What the command did wrong, one failure a line."""
    eol, failures = (b"\r\n" if crlf else b"\n"), []
    if status is None:
        failures.append("still running at its time limit: killed")
    elif status != command["status"]:
        failures.append(f"exit status {status}, expected {command['status']}")
    for kind, *arg in command["checks"]:
        if kind == "stderr":
            if arg[0].encode() not in err:
                failures.append(f"standard error lacks {arg[0]!r}: {err[:400]!r}")
            continue
        want = sections.get(arg[0], b"") if arg else b""
        if b"\r" not in want:  # a CR LF section's line ends stand as they are
            want = want.replace(b"\n", eol)
        if kind == "output" and out != want:
            import difflib
            diff = difflib.unified_diff(shown(want), shown(out), arg[0], "standard output")
            failures.append(f"standard output is not {arg[0]}:\n" + "".join(list(diff)[:80]))
        elif kind == "excerpt" and (b"\n" + out + eol).find(b"\n" + want) < 0:
            failures.append(f"standard output lacks the lines of {arg[0]}:\n" + "".join(shown(out)[-60:]))
        elif kind == "start" and not out.startswith(want):
            failures.append(f"standard output does not start with {arg[0]}: {out[:len(want) + 20]!r}")
        elif kind == "size" and len(out) - out.count(eol) * (len(eol) - 1) != int(arg[0]):
            failures.append(f"standard output is {len(out)} bytes, expected {arg[0]} (a line break as one)")
        elif kind == "stderr-whole" and err != want:
            import difflib
            diff = difflib.unified_diff(shown(want), shown(err), arg[0], "standard error")
            failures.append(f"standard error is not {arg[0]}:\n" + "".join(list(diff)[:80]))
        elif kind == "unchanged" and snapshot(folder) != before:
            failures.append("the files were changed")
    return failures


def run_case(path, options):
    results = []
    for label, text in family(path):
        if label:
            print(f"[{label}]")
        results.append(run_member(text, options))
    return 1 if 1 in results else SKIP if all(r == SKIP for r in results) else 0


def run_member(text, options):
    script, sections = parse(text)
    places, commands, posix = read_script(script, sections)
    if posix and (os.name != "posix" or options["emulator"]):
        print("skipped: the case needs POSIX features")
        return SKIP
    if not commands:
        raise CaseError("no command ($ ...)")
    work = options["work"]
    folder = os.path.join(work, "run")
    lay_out(places, folder)
    unchanged = any(c[0] == "unchanged" for command in commands for c in command["checks"])
    before, failed = snapshot(folder) if unchanged else None, False
    for command in commands:
        status, out, err = run(command, folder, work, options)
        failures = check(command, status, out, err, sections, before, folder, options["crlf"])
        print(f"$ {shlex.join(command['argv'])}: " + ("ok" if not failures else "FAILED"))
        for failure in failures:
            print("  " + failure.replace("\n", "\n  ").rstrip(" "))
        if failures and err:
            print("  standard error:\n  " + err.decode(errors="backslashreplace").replace("\n", "\n  "))
        failed |= bool(failures)
    return 1 if failed else 0


def write_seeds(out, paths):
    """Seeds of both fuzz targets from the two files of every case."""
    cases = [os.path.join(p, f) for p in paths if os.path.isdir(p) for f in sorted(os.listdir(p))
             if f.endswith(".case")] + [p for p in paths if p.endswith(".case")]
    for target in ("program", "reading"):
        shutil.rmtree(os.path.join(out, target), ignore_errors=True)
        os.makedirs(os.path.join(out, target))
    for path, label, text in [(p, label, text) for p in cases for label, text in family(p)]:
        name = os.path.basename(path).removesuffix(".case") + (label and "." + re.sub(r"\W+", "-", label))
        places = read_script(*parse(text))[0]
        files = [places.get(f, ("absent",)) for f in ("replacement_input.txt", "replacement_output.txt")]
        if any(f[0] == "ln" for f in files if isinstance(f, tuple)) or \
                sum(len(f) for f in files if isinstance(f, bytes)) > 65536:
            continue
        # fuzz_program: what stands in place of each file (5 pipe, 6 nothing, 7 directory, 0 bytes).
        kinds = [0 if isinstance(f, bytes) else {"mkfifo": 5, "absent": 6, "mkdir": 7}[f[0]] for f in files]
        body = [f if isinstance(f, bytes) else b"" for f in files]
        open(os.path.join(out, "program", name), "wb").write(
            bytes([kinds[0] | kinds[1] << 3]) + body[0] + b"\n====\n" + body[1])
        # fuzz_reading: a count and key lines in turn; at the start where a byte order mark is,
        # elsewhere after padding that makes the text meet the reader's block boundary.
        for suffix, f in zip((".input", ".output"), files):
            if isinstance(f, bytes):
                place = 1 if f.startswith(b"\xef\xbb\xbf") else zlib.crc32(name.encode()) & 0xFC
                open(os.path.join(out, "reading", name + suffix), "wb").write(bytes([0x54, place]) + f)


def main(argv):
    if argv[:1] == ["--seeds"]:
        write_seeds(argv[1], argv[2:])
        return 0
    options = {"bin": ".", "work": "work", "crlf": False, "memory": True}
    while argv and argv[0].startswith("--"):
        option = argv.pop(0)
        if option in ("--bin", "--work"):
            options[option[2:]] = argv.pop(0)
        else:
            options[{"--crlf": "crlf", "--no-memory-limit": "memory"}[option]] = option == "--crlf"
    options["emulator"] = argv[1:]
    os.makedirs(options["work"], exist_ok=True)
    try:
        return run_case(argv[0], options)
    except (CaseError, OSError, SyntaxError, ValueError) as e:
        print(f"{argv[0]}: {e}")
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
