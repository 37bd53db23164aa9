#!/usr/bin/env python3
"""clang-tidy over the sources of src/ and app/, with the checked-in .clang-tidy.

Usage: scripts/tidy.py [-p BUILD_DIR] [-j JOBS] [FILE...]

BUILD_DIR (default: build) is a configured and built tree with the window (QAVEL_GUI=ON); its
compile_commands.json says how each file is compiled. Without FILE, every .cpp file of src/ and
app/ is checked, and each must be in the build.

A file found clean is remembered in ~/.cache/qavel-tidy (QAVEL_TIDY_CACHE overrides it) under a
hash of what decides the result: the file as preprocessed with its comments (so a NOLINT counts),
its compile flags, the .clang-tidy files that apply and the clang-tidy version. A later run
checks it again only when one of them changed. Paths of the tree and the build are left out of
the hash, so every checkout of the project shares the cache. Findings are never remembered.

It checks JOBS files at a time (default: one per core); each SIGUSR1 lets it check one more at a
time, so that a script can start it beside other work and give it a core when that work is done.

Exit status: 0 when every file is clean, 1 when any has a finding (each is printed), 2 when a file
cannot be checked.
"""

import argparse
import concurrent.futures
import hashlib
import json
import os
import pathlib
import re
import shlex
import signal
import subprocess
import sys
import threading
import time

# Bumped when the way results are checked changes, so old entries stop counting.
CACHE_FORMAT = b"qavel-tidy 1\n"
FINDING = re.compile(r"\b(warning|error): ")


def git_files(root):
    out = subprocess.run(["git", "ls-files", "src/*.cpp", "app/*.cpp"], cwd=root, check=True,
                         capture_output=True, text=True).stdout
    return [root / line for line in out.splitlines() if line]


def compile_arguments(entry):
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    if os.path.basename(args[0]) == "ccache":
        args = args[1:]
    # What only names outputs does not change the result.
    kept = []
    skip = False
    for arg in args:
        if skip:
            skip = False
        elif arg in ("-o", "-MT", "-MF", "-MQ"):
            skip = True
        elif arg in ("-c", "-MD", "-MMD") or arg.startswith("-fcolor-diagnostics"):
            pass
        else:
            kept.append(arg)
    return kept


class Tidy:
    def __init__(self, root, build, cache):
        self.root = root
        self.build = build
        self.cache = cache
        self.tidy = os.environ.get("CLANG_TIDY", "clang-tidy")
        version = subprocess.run([self.tidy, "--version"], check=True, capture_output=True)
        self.base = hashlib.sha256(CACHE_FORMAT + version.stdout)
        # Longest first: the build tree usually lies inside the source tree.
        self.paths = sorted({str(build), str(root)}, key=len, reverse=True)

    def normalized(self, data):
        for i, path in enumerate(self.paths):
            data = data.replace(path.encode(), b"@%d" % i)
        return data

    def configs(self, file):
        found = []
        for folder in [file.parent, *file.parent.parents]:
            config = folder / ".clang-tidy"
            if config.is_file():
                found.append(config.read_bytes())
            if folder == self.root:
                break
        return found

    def key(self, file, entry):
        args = compile_arguments(entry)
        pre = subprocess.run(args + ["-E", "-C", "-o", "-"], cwd=entry["directory"],
                             capture_output=True)
        if pre.returncode != 0:
            return None, pre.stderr.decode(errors="replace")
        h = self.base.copy()
        for config in self.configs(file):
            h.update(b"config\n" + config)
        h.update(b"args\n" + self.normalized("\0".join(args).encode()))
        h.update(b"input\n" + self.normalized(pre.stdout))
        return h.hexdigest(), ""

    def check(self, file, entry):
        """Returns (state, output): state is 'cached', 'clean', 'finding' or 'failed'."""
        key, error = self.key(file, entry)
        if key is None:
            return "failed", f"{file}: cannot be preprocessed\n{error}"
        stamp = self.cache / key[:2] / key
        if stamp.exists():
            os.utime(stamp)
            return "cached", ""
        run = subprocess.run([self.tidy, "-p", str(self.build), "--quiet", str(file)],
                             capture_output=True, text=True)
        output = run.stdout + run.stderr
        if run.returncode != 0 or FINDING.search(output):
            return "finding", output
        stamp.parent.mkdir(parents=True, exist_ok=True)
        stamp.touch()
        return "clean", ""

    def prune(self, days=30):
        """Entries not used for a month go: they belong to files long since changed."""
        limit = time.time() - days * 86400
        for stamp in self.cache.glob("*/*"):
            try:
                if stamp.stat().st_mtime < limit:
                    stamp.unlink()
            except OSError:
                pass


# Threads wait for a turn: JOBS turns to begin with, one more at each SIGUSR1 (taken as early as
# possible, since the signal would otherwise end the program).
turns = threading.Semaphore(0)
signal.signal(signal.SIGUSR1, lambda *_: turns.release())


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("-p", dest="build", default="build")
    parser.add_argument("-j", dest="jobs", type=int, default=os.cpu_count())
    parser.add_argument("files", nargs="*")
    options = parser.parse_args()

    root = pathlib.Path(__file__).resolve().parent.parent
    build = pathlib.Path(options.build)
    build = (build if build.is_absolute() else pathlib.Path.cwd() / build).resolve()
    database = build / "compile_commands.json"
    if not database.is_file():
        print(f"tidy: {database} is missing; configure and build that tree first",
              file=sys.stderr)
        return 2
    entries = {}
    for entry in json.loads(database.read_text()):
        path = pathlib.Path(entry["directory"], entry["file"]).resolve()
        entries[path] = entry

    files = [pathlib.Path(f).resolve() for f in options.files] or git_files(root)
    missing = [f for f in files if f not in entries]
    if missing:
        for f in missing:
            print(f"tidy: {f} is not built in {build} (the window's layers need QAVEL_GUI=ON)",
                  file=sys.stderr)
        return 2

    cache = pathlib.Path(os.environ.get("QAVEL_TIDY_CACHE",
                                        pathlib.Path.home() / ".cache" / "qavel-tidy"))
    tidy = Tidy(root, build, cache)
    started = time.monotonic()
    counts = {"cached": 0, "clean": 0, "finding": 0, "failed": 0}
    turns.release(max(1, options.jobs))

    def check(file):
        with turns:
            return tidy.check(file, entries[file])

    with concurrent.futures.ThreadPoolExecutor(max_workers=max(options.jobs, os.cpu_count())) as pool:
        jobs = {pool.submit(check, f): f for f in files}
        for done in concurrent.futures.as_completed(jobs):
            state, output = done.result()
            counts[state] += 1
            if output:
                print(output, end="" if output.endswith("\n") else "\n", flush=True)
    tidy.prune()
    print(f"tidy: {len(files)} files, {counts['cached']} unchanged since a clean check, "
          f"{counts['clean']} checked clean, {counts['finding']} with findings, "
          f"{counts['failed']} not checked ({time.monotonic() - started:.0f} s)")
    if counts["failed"]:
        return 2
    return 1 if counts["finding"] else 0


if __name__ == "__main__":
    sys.exit(main())
