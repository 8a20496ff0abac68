#!/usr/bin/env python3
# Checks each grading format of runcheck-explain against its system's rules
# (not against a copy of our own output), on a passing, a failing and a
# stopped run file, and runs the examples of examples/gradescope and
# examples/kattis on a made-up submission tree.
#
# usage: formats_test.py BIN_DIR SOURCE_DIR WORK_DIR
import atexit, csv, io, json, os, resource, shutil, subprocess, sys, tempfile
from xml.etree import ElementTree

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
    """The expected runs, an expected key or count, or the buffer, in a student's message."""
    return "expected" in text or "why:" in text or any(r in text for r in runs[1:]) \
        or runs[0][:-6] in text and runs[0] in text


# gradescope and prairielearn: one JSON document, exit 0 whenever written.
# A test-case file that cannot be used is the autograder's failure in
# Gradescope: no document, the reason on standard error, exit 2.
for name, stopped_by in [("passing", passing), ("failing", failing), ("missing", missing), ("broken", passing)]:
    files = [broken if name == "broken" else tests, stopped_by]
    status, out, err = run(explain, "--format", "gradescope", *files)
    check(status == (2 if name == "broken" else 0), f"gradescope {name}: exit {status}")
    if name == "broken":
        check(out == "" and "broken.txt line 2" in err, f"gradescope broken: {out!r} {err!r}")
    else:
        doc = json.loads(out)
        check(isinstance(doc["score"], (int, float)) and isinstance(doc["output"], str), f"gradescope {name}: top")
        for t in doc["tests"]:
            check(t["status"] in ("passed", "failed") and isinstance(t["number"], str), f"gradescope {name}: {t}")
            check(t["visibility"] in ("hidden", "after_due_date", "after_published", "visible"), f"gradescope {name}")
            check(0 <= t["score"] <= t["max_score"] and not leaks(t["output"]), f"gradescope {name}: {t}")
            # One judgement: a test passes exactly where it has its points.
            check((t["status"] == "passed") == (t["score"] == t["max_score"]), f"gradescope {name}: {t}")
        check(doc["score"] == {"passing": 3, "failing": 2}.get(name, 0), f"gradescope {name}: score {doc['score']}")
        check(doc["score"] == sum(t["score"] for t in doc["tests"]), f"gradescope {name}: sum")
        # --points shares the assignment's points; --visibility is passed on.
        status, out, _ = run(explain, "--format", "gradescope", "--points", "12.5", "--visibility", "hidden", *files)
        shared = json.loads(out)
        check(status == 0 and (name == "missing" or abs(sum(t["max_score"] for t in shared["tests"]) - 12.5) < 1e-9),
              f"points {name}")
        check(abs(shared["score"] - 12.5 * doc["score"] / 3) < 1e-9, f"points {name}: {shared['score']}")
        check({t["visibility"] for t in shared["tests"]} | {shared["visibility"]} == {"hidden"}, f"visibility {name}")
    status, out, _ = run(explain, "--format", "prairielearn", *files)
    doc = json.loads(out)
    check(status == 0 and 0 <= doc["score"] <= 1 and isinstance(doc["message"], str), f"prairielearn {name}")
    check(doc["gradable"] == (name in ("passing", "failing")), f"prairielearn {name}: gradable")
    check(all({"name", "points", "max_points", "message"} <= set(t) for t in doc["tests"]), f"prairielearn {name}")
    check(not any(leaks(t["message"]) for t in doc["tests"]), f"prairielearn {name}: leaks")

# junit: valid against the schema; the exit status is the verdict; every
# suite counts every test case (an unreadable run file errs in each), so the
# totals are students x test cases, and the names sort in test case order.
status, out, _ = run(explain, "--format", "junit", tests, passing, failing, missing)
check(status == 2, f"junit: exit {status}")
xml = write("report.xml", out)
lint = subprocess.run(["xmllint", "--noout", "--schema", os.path.join(source, "tests/grading/junit.xsd"), xml],
                      capture_output=True, text=True)
check(lint.returncode == 0, "junit: " + lint.stderr)
suites = ElementTree.fromstring(out.encode()).findall("testsuite")
check([int(x.get("tests")) for x in suites] == [3, 3, 3], "junit: tests per suite")
check(sum(int(x.get("failures")) for x in suites) == 1 and sum(int(x.get("errors")) for x in suites) == 3,
      "junit: failures and errors")
for suite in suites:
    names = [t.get("name") for t in suite.findall("testcase")]
    check(names == sorted(names) and len(names) == int(suite.get("tests")), f"junit: names {names}")
status, out, _ = run(explain, "--format", "junit", many_tests := write("twelve.txt", "12\n" + "3\n30013 30011 30017\n" * 12),
                     missing)
names = [t.get("name") for t in ElementTree.fromstring(out.encode()).iter("testcase")]
check(names == sorted(names) and names[0] == "test case 01" and len(names) == 12, f"junit: 12 names {names}")

# csv and the roster: every submission a row, never dropped; the student the
# roster's (after a tab) or the folder's; rows end with CR LF; a field a
# spreadsheet would run as a formula is text.
os.makedirs(os.path.join(work, "class", "carol", "replacement_output.txt"))  # a folder: unreadable
write("class/alice/replacement_output.txt", open(passing).read())
write("class/bob/replacement_output.txt", open(failing).read())
write("class/=cmd|calc.txt", open(failing).read())
roster = write("class/roster.txt", "# one run file a line\nalice/replacement_output.txt\tAlice Archer\n\n"
               "bob/replacement_output.txt\ncarol/replacement_output.txt\ndave/replacement_output.txt\n=cmd|calc.txt\n")
done = subprocess.run([explain, "--roster", roster, "--format", "csv", tests], capture_output=True)
raw = done.stdout.decode()
check(raw.count("\n") == raw.count("\r\n") == 6 and raw.endswith("\r\n"), f"csv: line ends {raw!r}")
rows = list(csv.DictReader(io.StringIO(raw)))
check(list(rows[0]) == ["student", "run_file", "verdict", "total", "passed", "passed_independently", "score",
                        "first_failing", "recognised", "warnings"], f"csv: header {list(rows[0])}")
check([r["student"] for r in rows] == ["Alice Archer", "bob", "carol", "dave", "'=cmd|calc.txt"], f"csv: {rows}")
check([r["verdict"] for r in rows] == ["passed", "failed", "unreadable", "missing", "failed"], f"csv: {rows}")
check(rows[1]["score"] == "0.6666" and rows[1]["first_failing"] == "1" and done.returncode == 2, f"csv: {rows[1]}")
for r in rows:
    total, score = int(r["total"]), r["score"]
    check(float(score) == int(int(r["passed_independently"]) * 10000 / total) / 10000, f"csv: score {r}")
    check(r["verdict"] != "passed" or r["passed"] == r["total"], f"csv: verdict {r}")
# The faulty program recognised, by name, and the class summary's count of
# each verdict and each program.
secret = os.path.join(source, "examples/kattis/data/secret/2.in")
with open(secret) as given, open(os.path.join(work, "class", "four.txt"), "w") as taken:
    subprocess.run([sys.executable, os.path.join(source, "examples/kattis/submissions/wrong_answer/buffer_of_four.py")],
                   stdin=given, stdout=taken, check=True)
status, out, _ = run(explain, "--format", "csv", secret, os.path.join(work, "class", "four.txt"), passing)
check([r["recognised"] for r in csv.DictReader(io.StringIO(out))] == ["buffer_4", ""], f"csv: recognised {out!r}")
status, out, _ = run(explain, "--format", "summary", secret, os.path.join(work, "class", "four.txt"), passing, missing)
check(out == "run files: 3\npassed: 0\nfailed: 2\nmissing: 1\nrecognised:\n"
      "  buffer_4: 1 run file, a program with a buffer of 4 records\n" and status == 2, f"summary: {out!r}")

# A course tool's bulk download, in both layouts: every student a row, a
# folder without a run file missing, two run files a row that says so.
moodle = os.path.join(work, "moodle")
write("moodle/Ada Lovelace_12345_assignsubmission_file_/Replacement_Output.TXT", open(passing).read())
write("moodle/Ada Lovelace_12345_assignsubmission_onlinetext_/onlinetext.html", "<p>hello</p>")
write("moodle/Bob Brown_23456_assignsubmission_file_/sub/replacement_output-1.txt", open(failing).read())
os.makedirs(os.path.join(moodle, "Carl Case_34567_assignsubmission_file_"))
write("moodle/Dan Two_45678_assignsubmission_file_/replacement_output.txt", open(passing).read())
write("moodle/Dan Two_45678_assignsubmission_file_/old/replacement_output.txt", open(failing).read())
canvas = os.path.join(work, "canvas")
write("canvas/lovelaceada_12345_67890_replacement_output.txt", open(passing).read())
write("canvas/brownbob_LATE_23456_67891_replacement_output-1.txt", open(failing).read())
write("canvas/brownbob_LATE_23456_67891_readme.txt", "notes")
for folder, want in [(moodle, [("Ada Lovelace", "passed"), ("Bob Brown", "failed"), ("Carl Case", "missing"),
                               ("Dan Two", "several_run_files")]),
                     (canvas, [("brownbob", "failed"), ("lovelaceada", "passed")])]:
    status, out, _ = run(explain, "--submissions", folder, "--format", "csv", tests)
    rows = list(csv.DictReader(io.StringIO(out)))
    check([(r["student"], r["verdict"]) for r in rows] == want and status == 2 - (folder == canvas), f"submissions: {rows}")
status, out, err = run(explain, "--submissions", moodle, "--format", "junit", tests)
check(out.count("<testcase ") == 12 and out.count("<error ") == 6, f"submissions junit: {out.count('<testcase ')}")
status, _, err = run(explain, "--submissions", os.path.join(work, "none"), tests)
check(status == 2 and "cannot read the folder" in err, f"submissions: no folder: {err}")

# What the test-case file holds that surprises its author is said once, on
# standard error, and in no student's row or message.
odd = write("odd.txt", "2\n3\n30013 30011 40000\n3\n30013 30011 30017\n")
odd_run = write("odd_run.txt", "1\n30011 30013\n1\n30011 30013 30017\n")
status, out, err = run(explain, "--format", "csv", odd, odd_run, odd_run)
check(err.count("outside -1..32767") == 1 and "test case 1" in err, f"notes: {err!r}")
check([r["warnings"] for r in csv.DictReader(io.StringIO(out))] == ["0", "0"], f"notes: csv {out!r}")
for name in ["gradescope", "prairielearn"]:
    status, out, err = run(explain, "--format", name, odd, odd_run)
    check(err.count("outside -1..32767") == 1 and "warning" not in out, f"notes: {name} {out!r}")

# kattis: 42 accepted, 43 wrong answer, anything else a judge error; the
# feedback folder holds the two messages and nothing else, the team's never
# the expected runs nor a path of the judge's; no score on a rejection. The
# run file on standard input is a file, or a pipe (kept in a temporary
# folder of its own, removed after).
scratch = os.path.join(work, "tmp")
os.makedirs(scratch)
for name, run_file, want in [("passing", passing, 42), ("failing", failing, 43), ("piped", failing, 43)]:
    feedback = os.path.join(work, "feedback-" + name) + os.sep
    os.makedirs(feedback)
    args = [explain, "--format", "kattis", tests, passing, feedback, "extra"]
    if name == "piped":
        done = subprocess.run(args, input=open(run_file, "rb").read(), capture_output=True,
                              env=dict(os.environ, TMPDIR=scratch), timeout=120)
        status = done.returncode
        check(os.listdir(scratch) == [], f"kattis piped: left {os.listdir(scratch)}")
    else:
        status, _, _ = run(*args, stdin=run_file)
    check(status == want, f"kattis {name}: exit {status}")
    check(sorted(os.listdir(feedback)) == ["judgemessage.txt", "teammessage.txt"], f"kattis {name}: {os.listdir(feedback)}")
    team, judge = (open(feedback + f, encoding="utf-8").read() for f in ("teammessage.txt", "judgemessage.txt"))
    check(not leaks(team) and "your output" in team and work not in team + judge, f"kattis {name}: team message")
    check(name == "passing" or "expected:" in judge, f"kattis {name}: judge message")
status, _, _ = run(explain, "--format", "kattis", broken, passing, work, stdin=passing)
check(status not in (0, 42, 43), f"kattis broken: exit {status}")

# testlib: 0, 1, 3 (never 2), with its own arguments; the report file holds
# the message, or testlib's XML with -appes. cms: the outcome on standard
# output, exit 0 on a wrong answer, the stock words as the message's first
# line; a task type's argument after the files.
outcomes = {"passing": "accepted", "failing": "wrong-answer", "missing": "wrong-answer", "broken": "fail"}
for name, files, want in [("passing", [tests, passing], 0), ("failing", [tests, failing], 1),
                          ("missing", [tests, missing], 1), ("broken", [broken, passing], 3)]:
    status, _, err = run(explain, "--format", "testlib", files[0], files[1], passing)
    check(status == want and err.count("\n") == 1 and len(err) <= 32001 and not leaks(err), f"testlib {name}")
    report = os.path.join(work, f"report-{name}.txt")
    status, _, err = run(explain, "--format", "testlib", "--testset", "tests", "--group", "", files[0], files[1],
                         passing, report)
    check(status == want and open(report, encoding="utf-8").read() == err.rstrip("\n"), f"testlib {name}: report")
    status, _, _ = run(explain, "--format", "testlib", files[0], files[1], passing, report + ".xml", "-appes")
    result = ElementTree.parse(report + ".xml").getroot()
    check(status == want and result.tag == "result" and result.get("outcome") == outcomes[name],
          f"testlib {name}: -appes")
    status, out, err = run(explain, "--format", "cms", files[0], passing, files[1], "batch")
    check((status == 0) == (name != "broken"), f"cms {name}: exit {status}")
    if name != "broken":
        words = {"1": "translate:success", "0": "translate:wrong"}.get(out.strip(), "translate:partial")
        check(0 <= float(out) <= 1 and err.split("\n")[0] == words, f"cms {name}: {out!r} {err!r}")
for args in [["in"], ["in", "out", "ans", "report", "more"], ["--testset", "", "in", "out", "ans"],
             ["in", "out", "ans", "-appes"], ["--nosuch", "in", "out", "ans"]]:
    status, _, _ = run(explain, "--format", "testlib", *args)
    check(status == 3, f"testlib {args}: exit {status}")

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
for name, run_file in [("failing", failing), ("missing", None), ("broken", passing)]:
    shutil.rmtree(env["AUTOGRADER"], ignore_errors=True)
    shutil.copytree(os.path.join(source, "examples/gradescope"), os.path.join(env["AUTOGRADER"], "source"))
    os.makedirs(os.path.join(env["AUTOGRADER"], "submission"))
    if run_file:
        shutil.copy(run_file, os.path.join(env["AUTOGRADER"], "submission", "replacement_output.txt"))
    shutil.copy(broken if name == "broken" else tests, os.path.join(env["AUTOGRADER"], "source", "replacement_input.txt"))
    status, out, _ = run(os.path.join(env["AUTOGRADER"], "source", "run_autograder"), env=env)
    results_file = os.path.join(env["AUTOGRADER"], "results", "results.json")
    if name == "broken":
        check(status != 0 and not os.path.exists(results_file), f"run_autograder broken: {status}")
        continue
    results = json.load(open(results_file))
    check(status == 0 and results["score"] == (2 if run_file else 0), f"run_autograder {name}: {status}")
    check(run_file is None or "expected:" in out, f"run_autograder {name}: instructor's output")

# The problem package of examples/kattis, judged as the package tools judge
# it: each input validated, each submission run on each test case and its
# output handed to output_validator/run, called as `run input answer
# feedback_dir/ [args] < team_output` under a file-size limit of 8 MiB (the
# validator's output limit), as another user where this runs as root.
# The package and the program are copied where the validator's user can
# reach them: the checkout may stand in a folder only its owner reads.
judge = tempfile.mkdtemp()
atexit.register(shutil.rmtree, judge, True)
os.chmod(judge, 0o755)
kattis = os.path.join(judge, "kattis")
shutil.copytree(os.path.join(source, "examples/kattis"), kattis)
judge_env = dict(env, RUNCHECK_EXPLAIN=shutil.copy(explain, judge))
for part in ["problem.yaml", "statement/problem.en.md", "input_validators/validate.py", "output_validator/build",
             "submissions/accepted/runs.py", "submissions/wrong_answer/buffer_of_four.py", "data/sample/1.in"]:
    check(os.path.isfile(os.path.join(kattis, part)), f"kattis package: no {part}")
cases = sorted(os.path.join(kattis, "data", group, name[:-3]) for group in ("sample", "secret")
               for name in os.listdir(os.path.join(kattis, "data", group)) if name.endswith(".in"))


def as_validator():
    resource.setrlimit(resource.RLIMIT_FSIZE, (8 << 20, 8 << 20))
    if os.geteuid() == 0:
        os.setgid(65534)
        os.setuid(65534)


def validate(case, team_output, label):
    """The output validator's exit status on team_output for case, and the team message."""
    feedback = os.path.join(judge, "feedback", label) + os.sep
    os.makedirs(feedback)
    if os.geteuid() == 0:
        os.chown(feedback, 65534, 65534)
    with open(team_output, "rb") as given:
        done = subprocess.run([os.path.join(kattis, "output_validator/run"), case + ".in", case + ".ans", feedback,
                               "any_flag"], stdin=given, capture_output=True, env=judge_env, preexec_fn=as_validator,
                              timeout=120)
    check(sorted(os.listdir(feedback)) == ["judgemessage.txt", "teammessage.txt"], f"package {label}: feedback")
    return done.returncode, open(feedback + "teammessage.txt", encoding="utf-8").read()


for case in cases:
    with open(case + ".in", "rb") as given:
        status = subprocess.run([sys.executable, os.path.join(kattis, "input_validators/validate.py")], stdin=given).returncode
    check(status == 42, f"package: input validator on {case}.in: {status}")
for bad in ["2\n1\n5\n", "1\n2\n5  6\n", "1\n1\n32768\n", "1\n1\n5", "1\n1\n5\n\n"]:
    status = subprocess.run([sys.executable, os.path.join(kattis, "input_validators/validate.py")], input=bad.encode(),
                            capture_output=True).returncode
    check(status == 43, f"package: input validator takes {bad!r}")
for submission, verdicts in [("accepted/runs.py", {42}), ("wrong_answer/buffer_of_four.py", {42, 43})]:
    seen = set()
    for case in cases:
        label = submission.split("/")[0] + "-" + os.path.basename(os.path.dirname(case)) + os.path.basename(case)
        output = os.path.join(work, "package", label + ".out")
        os.makedirs(os.path.dirname(output), exist_ok=True)
        with open(case + ".in", "rb") as given, open(output, "wb") as taken:
            subprocess.run([sys.executable, os.path.join(kattis, "submissions", submission)], stdin=given, stdout=taken,
                           check=True)
        status, team = validate(case, output, label)
        seen.add(status)
        check(status == 42 or "your output" in team and "recognised" in team, f"package {label}: {status} {team}")
    check(seen <= verdicts and max(verdicts) in seen, f"package {submission}: {seen}")
# A team output of 9 MiB, past the validator's file-size limit, is still a
# wrong answer: nothing of it is copied.
huge = write("package/huge.out", "1\n" + "7 " * (9 << 19) + "\n")
status, _ = validate(cases[0], huge, "huge")
check(status == 43, f"package: a 9 MiB wrong answer: exit {status}")

print("\n".join(failures) or "grading formats: every check holds")
sys.exit(1 if failures else 0)
