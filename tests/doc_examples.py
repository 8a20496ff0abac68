#!/usr/bin/env python3
# Turns the examples of the documents into case files for run_case.py.
#
# usage: doc_examples.py OUT_DIR MANUAL_PAGE EXAMPLES_DIR DOCUMENT...
#
# An example is a set of fenced blocks, each announced on the line before its
# opening fence by <!-- example NAME: ROLE[; OPTION]... --> (the last section of
# docs/run-file-guide.md describes the roles and options). Each becomes
# OUT_DIR/<document>.<NAME>.case with the files it gives, running runcheck
# where it gives its whole output or an excerpt, and runcheck-explain where it
# gives that program's output.
# Exits with status 1, listing what is wrong, on an unmarked block other than a
# shell command, a malformed marker, an example without output, a document
# without examples, a message heading (#### `...`, %d a number, %s a name) that
# no example's output shows, or a manual page whose .EX blocks do not include
# the files of EXAMPLES_DIR.
import os, re, shutil, sys

out, manual, examples, documents = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
FILES = {"test-case file": "replacement_input.txt", "run file": "replacement_output.txt",
         "output": "output", "output excerpt": "excerpt", "explain output": "explain"}
OPTIONS = {"CRLF line ends": ("\n", "\r\n"), "a space before each line break": ("\n", " \n"),
           "tabs for spaces": (" ", "\t")}
errors = []
shutil.rmtree(out, ignore_errors=True)

for document in documents:
    lines, cases, messages, i = open(document, encoding="utf-8").read().split("\n"), {}, [], 0
    while i < len(lines):
        at, line = f"{document}:{i + 1}: ", lines[i]
        messages += re.findall(r"^#### `(.+)`$", line)
        if line.lstrip(" ").startswith("```"):  # a block no marker announced
            if line.strip() != "```sh":
                errors.append(at + "fenced block without an example marker")
            i = next((j for j in range(i + 1, len(lines)) if lines[j].strip() == "```"), len(lines))
        elif "<!-- example" in line:
            m = re.fullmatch(r"<!-- example ([a-z0-9-]+): (.+) -->", line) or ["", "", "malformed marker"]
            role, *options = m[2].split("; ")
            reuse = re.fullmatch(r"(test-case file|run file) as in ([a-z0-9-]+)", role)
            program = re.fullmatch(r"program ([A-Za-z0-9_.-]+)", role)  # a program the example runs
            case, text = cases.setdefault(m[1], {}), None
            if reuse and reuse[2] != m[1]:
                role, text = reuse[1], cases.get(reuse[2], {}).get(FILES[reuse[1]])
            elif i + 1 < len(lines) and lines[i + 1].startswith("```") and "```" in lines[i + 2:]:
                end = lines.index("```", i + 2)
                text, i = "".join(s + "\n" for s in lines[i + 2:end]), end
            try:
                # explain output: "exit status N" and "arguments ARGS" (runcheck-explain's)
                settings = [re.fullmatch(r"(exit status|arguments) (.+)|(CR LF line ends)", o) for o in options]
                settings = {o[1] or o[3]: o[2] for o in settings if o} if role == "explain output" else {}
                name = program[1] if program else FILES.get(role)
                if not m[1] or not name or name in case or text is None \
                        or (options and "output" in role and len(settings) < len(options)) \
                        or not re.fullmatch(r"[0-9]?", settings.get("exit status", "")):
                    raise ValueError(f"bad marker, second {role}, or no block or earlier file to take")
                for option in options if "output" not in role else []:  # OPTIONS, or '"P" stands for N times "T"'
                    m = re.fullmatch(r'"([^"]+)" stands for ([0-9]+) times "([^"]+)"', option)
                    old, new = OPTIONS.get(option) or (m and m[1] in text and (m[1], m[3] * int(m[2]))) or ("", "")
                    text, errors = text.replace(old, new), errors + [f'{at}unknown option "{option}"'] * (not old)
                case[name] = text
                case.setdefault("programs", []).extend([name] if program else [])
                case["status"] = settings.get("exit status", case.get("status", "0"))
                case["arguments"] = settings.get("arguments", case.get("arguments", ""))
                case["crlf"] = "CR LF line ends" in settings or case.get("crlf", False)
            except ValueError as e:
                errors.append(at + str(e))
        i += 1
    cases.pop("", None)
    outputs = [t for c in cases.values() for f, t in c.items() if f in ("output", "excerpt")]
    errors += [f"{document}: no example shows the message {message}" for message in messages
               if not any(re.search(re.escape(message).replace("%d", "-?[0-9]+").replace("%s", '[^"]*'), t)
                          for t in outputs)]
    errors += [f"{document}: example {n} shows no output" for n, c in cases.items()
               if not any(f in ("output", "excerpt", "explain") for f in c)] + [f"{document}: no example"] * (not cases)
    os.makedirs(out, exist_ok=True)
    for name, c in cases.items():  # files with CR bytes are made by a generator
        script, sections = [f"# The example {name} of {document}."], ""
        for file in ("replacement_input.txt", "replacement_output.txt"):
            if "\r" in c.get(file, ""):
                script.append(f"{file} = {c[file]!r}")
            elif file in c:
                sections += f"-- {file} --\n" + c[file]
        for program in c.get("programs", []):  # run by the build machine's interpreter
            sections += f"-- {program} --\n" + c[program]
        script += ["posix-only"] * bool(c.get("programs"))
        for kind, command, check in (("output", "$ runcheck", "output"), ("excerpt", "$ runcheck", "excerpt"),
                                     ("explain", f"$ runcheck-explain {c['arguments']}".rstrip()
                                      + f"\nexpect status {c['status']}", "output")):
            if kind in c:  # the whole output ends with the prompt, no line break
                script += [command, f"expect {check} {kind}"]
                ending = " (no final line break)" * (kind == "output") + " (CR LF line ends)" * (
                    kind == "explain" and c["crlf"])
                sections += f"-- {kind}{ending} --\n" + c[kind]
        document_name = os.path.basename(document).removesuffix(".md")
        open(os.path.join(out, f"{document_name}.{name}.case"), "w").write("\n".join(script) + "\n\n" + sections)

blocks = re.findall(r"^\.EX\n(.*?)^\.EE$", open(manual, encoding="utf-8").read(), re.M | re.S)
errors += [f"{manual}: no .EX block shows {examples}/{name}" for name in FILES.values()
           if "replacement" in name and open(os.path.join(examples, name)).read() not in blocks]
print("\n".join(errors), file=sys.stderr)
sys.exit(1 if errors else 0)
