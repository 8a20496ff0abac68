#!/usr/bin/env python3
# Loads runcheck-explain's HTML pages in headless Chromium and checks what a
# reader would see; or saves one page's screenshot.
#
# usage: browser_test.py --bin DIR --work DIR [--skip REASON] PAGES [--save NAME PNG]
#
# PAGES lists the pages, one a line (# comments and blank lines aside):
#
#     NAME CASE ARGUMENT... => TEXT | TEXT ...
#
# CASE is a case file of tests/cases (its files are laid out as run_case.py
# lays them out), ARGUMENT... runcheck-explain's arguments, split as a shell
# would, a word with * expanded in the case's folder. Each page, written to
# a file, is loaded from that file twice, for its DOM and for a screenshot,
# with every outside load impossible (every host name unresolvable, a dead
# proxy). It passes when: no message reaches the console (a blocked load, a
# style the page's policy refuses, a script error), the page asks for
# nothing over the network, its title is still the one it was written with
# (no script ran), its DOM holds no script or img element and every TEXT,
# and its screenshot holds more than one colour.
#
# Exit status: 0 every page passed, 1 one failed, 77 skipped: --skip, or no
# Chromium (where CI=true, as in CI, no Chromium fails instead).
import glob, json, os, re, shlex, shutil, struct, subprocess, sys, zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_case  # noqa: E402, the case format's reader

SKIP = 77
TITLE = "<title>runcheck-explain report</title>"
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--host-resolver-rules=MAP * ~NOTFOUND", "--proxy-server=127.0.0.1:9",
                  "--enable-logging=stderr", "--v=0", "--hide-scrollbars"]


def chromium():
    return next((p for p in (os.environ.get("CHROMIUM"), "/usr/bin/chromium", shutil.which("chromium"))
                 if p and os.access(p, os.X_OK)), None)


def load(browser, page, work, mode, size="1000,1000"):
    """Loads the page once (mode: --dump-dom or --screenshot=PATH): its standard output, the
    console messages, and the URLs the page itself asked for."""
    profile, net_log = os.path.join(work, "profile"), os.path.join(work, "net.json")
    shutil.rmtree(profile, ignore_errors=True)
    result = subprocess.run([browser, *CHROMIUM_FLAGS, f"--window-size={size}", f"--user-data-dir={profile}",
                             f"--log-net-log={net_log}",
                             mode, "file://" + os.path.abspath(page)],
                            capture_output=True, timeout=120, cwd=work)
    console = [re.sub(r"^\[.*?\] ", "", line) for line in result.stderr.decode(errors="replace").splitlines()
               if ":CONSOLE" in line]
    # The browser's own requests (updates, accounts) are keyed to no page; the page's to file://.
    requests = {e["params"]["url"] for e in json.load(open(net_log))["events"]
                if "file://" in str(e.get("params", {}).get("network_isolation_key", ""))}
    return result.stdout.decode(errors="replace"), console, requests


def colours(png, enough=2):
    """The distinct pixels of an 8-bit RGB or RGBA PNG, up to `enough`."""
    width, height, depth, kind = struct.unpack(">IIBB", png[16:26])
    if depth != 8 or kind not in (2, 6):
        raise ValueError(f"a PNG of bit depth {depth}, colour type {kind}")
    data, at = b"", 8
    while at < len(png):
        size, name = struct.unpack(">I4s", png[at:at + 8])
        data += png[at + 8:at + 8 + size] if name == b"IDAT" else b""
        at += size + 12
    raw, bpp = zlib.decompress(data), 3 if kind == 2 else 4
    stride, previous, seen = width * bpp, bytearray(width * bpp), set()
    for y in range(height):
        kind_of_filter, row = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a, b = row[i - bpp] if i >= bpp else 0, previous[i]
            c = previous[i - bpp] if i >= bpp else 0
            if kind_of_filter == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                a = a if pa <= pb and pa <= pc else b if pb <= pc else c
            row[i] = (row[i] + (0, a, b, (a + b) // 2, a)[kind_of_filter]) & 0xFF
        seen.update(bytes(row[i:i + bpp]) for i in range(0, stride, bpp * 7))
        if len(seen) >= enough:
            return seen
        previous = row
    return seen


def make_page(line, options, cases):
    """Lays out the page's case and writes the page: its path."""
    words, texts = line.split("=>", 1)
    name, case, *args = shlex.split(words)
    folder = os.path.join(options["work"], name)
    places = run_case.read_script(*run_case.parse(run_case.family(os.path.join(cases, case))[0][1]))[0]
    run_case.lay_out(places, folder)
    argv = [a for arg in args for a in (sorted(os.path.relpath(p, folder) for p in glob.glob(
        os.path.join(folder, arg))) if "*" in arg else [arg])]
    page = os.path.join(options["work"], name + ".html")
    with open(page, "wb") as out:
        subprocess.run([os.path.abspath(os.path.join(options["bin"], "runcheck-explain")), *argv], cwd=folder, stdout=out,
                       stdin=subprocess.DEVNULL, timeout=120)
    return name, page, [t.strip() for t in texts.split(" | ")]


def check_page(browser, name, page, texts, work):
    failures = []
    dom, console, requests = load(browser, page, work, "--dump-dom")
    shot = os.path.join(work, name + ".png")
    _, console_2, requests_2 = load(browser, page, work, f"--screenshot={shot}")
    failures += [f"console: {m}" for m in sorted(set(console + console_2))]
    failures += [f"network request: {u}" for u in sorted(requests | requests_2)]
    if TITLE not in dom:
        failures.append("the title changed: " + (re.findall(r"<title>.*?</title>", dom) or ["none"])[0])
    failures += [f"a {tag} element in the DOM" for tag in ("<script", "<img") if tag in dom]
    failures += [f"the DOM lacks {t!r}" for t in texts if t not in dom]
    if not os.path.exists(shot) or len(colours(open(shot, "rb").read())) < 2:
        failures.append("the screenshot is blank")
    return failures


def main(argv):
    options = {"bin": ".", "work": "work", "save": None, "skip": None}
    positional = []
    while argv:
        option = argv.pop(0)
        if option.startswith("--"):
            options[option[2:]] = (argv.pop(0), argv.pop(0)) if option == "--save" else argv.pop(0)
        else:
            positional.append(option)
    pages = positional[0]
    if options["skip"]:
        print(f"skipped: {options['skip']}")
        return SKIP
    browser = chromium()
    if browser is None:
        print("no Chromium (/usr/bin/chromium, or CHROMIUM naming it): tools/setup test installs it")
        return 1 if os.environ.get("CI") == "true" else SKIP
    os.makedirs(options["work"], exist_ok=True)
    cases = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases")
    lines = [l for l in open(pages, encoding="utf-8").read().splitlines() if l.strip() and not l.startswith("#")]
    failed = False
    for line in lines:
        name, page, texts = make_page(line, options, cases)
        if options["save"]:
            if name == options["save"][0]:
                load(browser, page, options["work"], f"--screenshot={os.path.abspath(options['save'][1])}",
                     "780,800")
                return 0
            continue
        failures = check_page(browser, name, page, texts, options["work"])
        print(f"{name}: {os.path.getsize(page)} bytes, " + ("ok" if not failures else "FAILED"))
        for failure in failures:
            print("  " + failure)
        failed |= bool(failures)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
