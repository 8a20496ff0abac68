#!/usr/bin/env python3
# The product's folders are libraries with one-way arrows: every #include of
# the project's own headers, in every source file, must follow an arrow
# below (or stay in its own folder), and only the platform layer includes a
# header of the operating system. Prints each include that breaks the rule.
#
# usage: layers_test.py SOURCE_DIR
import pathlib, re, sys

CORE = ["platform", "input", "runs", "generation", "check"]
# What each folder may include besides itself: the core in the order the
# data flows, then the two front ends, which never include each other.
ALLOWED = {
    "platform": [],
    "input": ["platform"],
    "runs": ["platform", "input"],
    "generation": ["platform", "input", "runs"],
    "check": ["platform", "input", "runs", "generation"],
    "driver": CORE,
    "explain/report": CORE,
    "explain/diagnosis": CORE + ["explain/report"],
    "explain/printers": CORE + ["explain/report"],
    "explain/grading": CORE + ["explain/printers", "explain/report"],
    "explain/authoring": CORE + ["explain/diagnosis", "explain/printers", "explain/report"],
    "explain/stress": CORE + ["explain/authoring", "explain/diagnosis", "explain/printers",
                              "explain/report"],
    "explain/cli": CORE + ["explain/grading", "explain/stress", "explain/authoring",
                           "explain/diagnosis", "explain/printers", "explain/report"],
    "explain": ["platform", "explain/cli"],  # main.cpp
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SYSTEM = re.compile(r"^(sys/.*|(unistd|fcntl|windows|io|spawn|dirent|poll|signal|termios|process|"
                    r"direct|share|errno|wait)\.h)$")


def folder_of(path):
    """The folder an include path or a source file belongs to, as ALLOWED names it."""
    parts = pathlib.PurePosixPath(path).parts[:-1]
    if not parts:
        return None
    return "/".join(parts[:2]) if parts[0] == "explain" and len(parts) > 1 else parts[0]


def main():
    root = pathlib.Path(sys.argv[1])
    broken, files = [], 0
    for path in sorted(root.glob("**/*")):
        rel = path.relative_to(root).as_posix()
        if path.suffix not in (".h", ".cpp") or folder_of(rel) not in ALLOWED:
            continue
        files += 1
        here = folder_of(rel)
        for kind, target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if kind == "<":
                if SYSTEM.match(target) and here != "platform":
                    broken.append(f"{rel}: <{target}>: only platform/ includes the system's headers")
                continue
            there = folder_of(target)
            if there != here and there not in ALLOWED[here]:
                broken.append(f'{rel}: "{target}": {here} may not include {there}')
    for line in broken:
        print(line)
    if files == 0:
        print(f"no source files under {root}")
        return 1
    print(f"{files} files, {len(broken)} includes against the arrows")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
