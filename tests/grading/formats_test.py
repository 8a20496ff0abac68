#!/usr/bin/env python3
# Checks each grading format of runcheck-explain against its system's rules
# (not against a copy of our own output), on a passing, a failing and a
# stopped run file, and runs the examples of examples/gradescope and
# examples/kattis on a made-up submission tree.
#
# usage: formats_test.py BIN_DIR SOURCE_DIR WORK_DIR
import csv, io, json, os, shutil, subprocess, sys

bin_dir, source, work = sys.argv[1:4]
explain = os.path.join(bin_dir, "runcheck-explain")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*args, stdin=None, cwd=None, env=None):
    with open(stdin or os.devnull, "rb") as given:
        done = subprocess.run(list(args), stdin=given, capture_output=True, cwd=cwd, env=env, timeout=120)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def write(name, text):
    path = os.path.join(work, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    return path


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
# Keys no message shows by chance; the expected runs of the three test cases
# are "31007 31011 31013 31017 31019 31023 31029" (one run, as the keys come
# nearly sorted), "30011 30013 30017" and "29011 29017 29023 29027 29033".
tests = write("tests.txt", "3\n7\n31011 31007 31017 31013 31023 31019 31029\n"
              "3\n30013 30011 30017\n5\n29017 29011 29027 29023 29033\n")
runs = ["31007 31011 31013 31017 31019 31023 31029", "30011 30013 30017", "29011 29017 29023 29027 29033"]
passing = write("passing.txt", "".join(f"1\n{r}\n" for r in runs))
# Test case 1 dropped its last key; 2 and 3 stand, read back by the
# independent score.
failing = write("failing.txt", f"1\n{runs[0][:-6]}\n1\n{runs[1]}\n1\n{runs[2]}\n")
missing = os.path.join(work, "no such file.txt")
broken = write("broken.txt", "3\n0\n")  # a test case of no keys: no run file can be checked


def leaks(text):
    """The expected runs, or their label, in a student's message."""
    return "expected:" in text or any(r in text for r in runs[1:]) or runs[0][:-6] in text and runs[0] in text


# gradescope and prairielearn: one JSON document, exit 0 whenever written.
for name, stopped_by in [("passing", passing), ("failing", failing), ("missing", missing), ("broken", passing)]:
    files = [broken if name == "broken" else tests, stopped_by]
    status, out, _ = run(explain, "--format", "gradescope", *files)
    check(status == 0, f"gradescope {name}: exit {status}")
    doc = json.loads(out)
    check(isinstance(doc["score"], (int, float)) and isinstance(doc["output"], str), f"gradescope {name}: top level")
    for t in doc["tests"]:
        check(t["status"] in ("passed", "failed") and isinstance(t["number"], str), f"gradescope {name}: {t}")
        check(t["visibility"] in ("hidden", "after_due_date", "after_published", "visible"), f"gradescope {name}")
        check(0 <= t["score"] <= t["max_score"] and not leaks(t["output"]), f"gradescope {name}: {t}")
    check(doc["score"] == {"passing": 3, "failing": 2}.get(name, 0), f"gradescope {name}: score {doc['score']}")
    status, out, _ = run(explain, "--format", "prairielearn", *files)
    doc = json.loads(out)
    check(status == 0 and 0 <= doc["score"] <= 1 and isinstance(doc["message"], str), f"prairielearn {name}")
    check(doc["gradable"] == (name in ("passing", "failing")), f"prairielearn {name}: gradable")
    check(all({"name", "points", "max_points", "message"} <= set(t) for t in doc["tests"]), f"prairielearn {name}")
    check(not any(leaks(t["message"]) for t in doc["tests"]), f"prairielearn {name}: leaks")

# junit: valid against the schema; the exit status is the verdict.
status, out, _ = run(explain, "--format", "junit", tests, passing, failing, missing)
check(status == 2, f"junit: exit {status}")
xml = write("report.xml", out)
lint = subprocess.run(["xmllint", "--noout", "--schema", os.path.join(source, "tests/grading/junit.xsd"), xml],
                      capture_output=True, text=True)
check(lint.returncode == 0, "junit: " + lint.stderr)
check(out.count("<testsuite ") == 3 and out.count("<failure ") == 1 and out.count("<error ") == 1, "junit: counts")

# csv and the roster: every submission a row, never dropped.
os.makedirs(os.path.join(work, "class", "carol", "replacement_output.txt"))  # a folder: unreadable
write("class/alice/replacement_output.txt", open(passing).read())
write("class/bob/replacement_output.txt", open(failing).read())
roster = write("class/roster.txt", "# one run file a line\nalice/replacement_output.txt\n\n"
               "bob/replacement_output.txt\ncarol/replacement_output.txt\ndave/replacement_output.txt\n")
status, out, _ = run(explain, "--roster", roster, "--format", "csv", tests)
rows = list(csv.reader(io.StringIO(out)))
check(rows[0] == ["run_file", "verdict", "passed", "failed", "total", "score", "first_failing"], "csv: header")
check([r[1] for r in rows[1:]] == ["passed", "failed", "unreadable", "missing"], f"csv: {rows}")
check(rows[2][5] == "0.6666" and rows[2][6] == "1" and status == 2, f"csv: {rows[2]}, exit {status}")

# kattis: 42 accepted, 43 wrong answer, anything else a judge error; the
# team message never shows the expected runs; no score on a rejection.
for name, run_file, want in [("passing", passing, 42), ("failing", failing, 43)]:
    feedback = os.path.join(work, "feedback-" + name) + os.sep
    os.makedirs(feedback)
    status, _, _ = run(explain, "--format", "kattis", tests, passing, feedback, stdin=run_file)
    check(status == want, f"kattis {name}: exit {status}")
    team, judge = (open(feedback + f, encoding="utf-8").read() for f in ("teammessage.txt", "judgemessage.txt"))
    check(not leaks(team) and not os.path.exists(feedback + "score.txt"), f"kattis {name}: team message")
    check(name == "passing" or "expected:" in judge, f"kattis {name}: judge message")
status, _, _ = run(explain, "--format", "kattis", broken, passing, work, stdin=passing)
check(status not in (0, 42, 43), f"kattis broken: exit {status}")

# testlib: 0, 1, 3 (never 2); cms: the outcome on standard output, exit 0
# on a wrong answer.
for name, files, want in [("passing", [tests, passing], 0), ("failing", [tests, failing], 1),
                          ("missing", [tests, missing], 1), ("broken", [broken, passing], 3)]:
    status, _, err = run(explain, "--format", "testlib", files[0], files[1], passing)
    check(status == want and err.count("\n") == 1 and len(err) <= 32001 and not leaks(err), f"testlib {name}")
    status, out, err = run(explain, "--format", "cms", files[0], passing, files[1])
    check((status == 0) == (name != "broken") and err.count("\n") == 1, f"cms {name}: exit {status}")
    check(name == "broken" or 0 <= float(out) <= 1, f"cms {name}: {out!r}")

# Caps: a file of 4000 failing test cases stays within each system's cap,
# the results file cut with a note.
many = write("many.txt", "4000\n" + "3\n30013 30011 30017\n" * 4000)
wrong = write("wrong.txt", "1\n30017 30013 30011\n" * 4000)
status, out, _ = run(explain, "--format", "gradescope", many, wrong)
check(len(out.encode()) <= 1_000_000 and "left out" in json.loads(out)["output"], "gradescope: cap")
status, _, err = run(explain, "--format", "testlib", many, wrong, wrong)
check(len(err) <= 32001 and err.count("\n") == 1, f"testlib: cap ({len(err)})")
status, _, err = run(explain, "--format", "cms", many, wrong, wrong)
check(len(err) <= 32001, "cms: cap")

# The examples, as a course copies them, on a made-up tree.
env = dict(os.environ, AUTOGRADER=os.path.join(work, "autograder"), RUNCHECK_EXPLAIN=explain)
for name, run_file in [("failing", failing), ("missing", None)]:
    shutil.rmtree(env["AUTOGRADER"], ignore_errors=True)
    shutil.copytree(os.path.join(source, "examples/gradescope"), os.path.join(env["AUTOGRADER"], "source"))
    os.makedirs(os.path.join(env["AUTOGRADER"], "submission"))
    if run_file:
        shutil.copy(run_file, os.path.join(env["AUTOGRADER"], "submission", "replacement_output.txt"))
    shutil.copy(tests, os.path.join(env["AUTOGRADER"], "source", "replacement_input.txt"))
    status, out, _ = run(os.path.join(env["AUTOGRADER"], "source", "run_autograder"), env=env)
    results = json.load(open(os.path.join(env["AUTOGRADER"], "results", "results.json")))
    check(status == 0 and results["score"] == (2 if run_file else 0), f"run_autograder {name}: {status}")
    check(run_file is None or "expected:" in out, f"run_autograder {name}: instructor's output")
kattis = os.path.join(source, "examples/kattis")
feedback = os.path.join(work, "feedback-example") + os.sep
os.makedirs(feedback)
status, _, _ = run(os.path.join(kattis, "output_validators/runcheck/run"), os.path.join(kattis, "data/secret/1.in"),
                   os.path.join(kattis, "data/secret/1.ans"), feedback, stdin=os.path.join(kattis, "data/secret/1.ans"),
                   env=env)
check(status == 42, f"kattis example: exit {status}")

print("\n".join(failures) or "grading formats: every check holds")
sys.exit(1 if failures else 0)
