#!/usr/bin/env python3
"""Times fillwright against other tools on workloads generated beforehand by
make_big_template.py and make_many_files.py in one work directory.

The tools of a case run in turns, round after round, so that a change in the
machine's load falls on all of them alike. Each run is timed (wall clock) and
measured by the kernel (CPU time of the process and the children it waited
for). The table gives medians over the rounds. Peak memory comes from one more
run of each tool under /usr/bin/time: a process started straight from Python
would count Python's own memory from before the exec.
"""

import argparse
import filecmp
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


class measuredRun:
    def __init__(self, wall, cpu):
        self.wall = wall
        self.cpu = cpu


class tool:
    """One command of a case. prepare runs untimed before every run."""

    def __init__(self, label, argv, stdin=None, stdout=None, env=None, prepare=None, rounds=None,
                 quiet=False):
        self.label = label
        self.argv = argv
        self.stdin = stdin
        self.stdout = stdout
        self.env = env
        self.prepare = prepare
        self.rounds = rounds
        # Messages the case expects are not shown.
        self.quiet = quiet
        self.runs = []
        self.max_rss_kb = 0

    def run_once(self, cwd):
        wall, usage = self.run(self.argv, cwd)
        self.runs.append(measuredRun(wall, usage.ru_utime + usage.ru_stime))

    def measure_memory(self, cwd):
        with tempfile.NamedTemporaryFile("r") as report:
            self.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + self.argv, cwd)
            self.max_rss_kb = int(report.read().split()[-1])

    def run(self, argv, cwd):
        if self.prepare:
            self.prepare()
        # Write-back of what earlier runs wrote would otherwise fall on
        # whichever tool runs next, when it truncates or writes.
        os.sync()
        # Opening the output (truncating an earlier one) and its last close
        # (where the file system may start writing it out) are part of the
        # work, as they are for fillwright: both fall inside the timing.
        start = time.perf_counter()
        stdin = open(self.stdin, "rb") if self.stdin else subprocess.DEVNULL
        stdout = open(self.stdout, "wb") if self.stdout else subprocess.DEVNULL
        try:
            process = subprocess.Popen(argv, cwd=cwd, stdin=stdin, stdout=stdout, env=self.env,
                                       stderr=subprocess.DEVNULL if self.quiet else None)
        finally:
            if self.stdin:
                stdin.close()
            if self.stdout:
                stdout.close()
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
        process.returncode = os.waitstatus_to_exitcode(status)
        if process.returncode != 0:
            sys.exit(f"{self.label} failed with status {process.returncode}")
        return wall, usage

    def median_wall(self):
        return statistics.median(run.wall for run in self.runs)

    def median_cpu(self):
        return statistics.median(run.cpu for run in self.runs)


def run_case(tools, rounds, cwd):
    for tool_ in tools:  # a warm-up run each: caches, and outputs that exist
        tool_.run_once(cwd)
        tool_.runs.clear()
    for round_ in range(rounds):
        for tool_ in tools:
            if tool_.rounds is None or round_ < tool_.rounds:
                tool_.run_once(cwd)
    for tool_ in tools:
        tool_.measure_memory(cwd)


def milliseconds(seconds):
    return f"{seconds * 1000:.1f}"


class report:
    def __init__(self):
        self.rows = []
        self.verdicts = []

    def add_case(self, case, tools):
        ours = tools[0]
        for tool_ in tools:
            ratio = tool_.median_wall() / ours.median_wall()
            self.rows.append(
                [
                    case,
                    tool_.label,
                    str(len(tool_.runs)),
                    milliseconds(tool_.median_wall()),
                    milliseconds(tool_.median_cpu()),
                    f"{tool_.max_rss_kb / 1024:.1f}",
                    "1.00" if tool_ is ours else f"{ratio:.2f}",
                ]
            )

    def check(self, target, holds):
        self.verdicts.append(("met" if holds else "MISSED") + ": " + target)

    def text(self):
        header = ["case", "tool", "runs", "median wall ms", "median CPU ms", "max RSS MiB",
                  "time / fillwright"]
        widths = [max(len(row[i]) for row in self.rows + [header]) for i in range(len(header))]

        def line(cells):
            return "| " + " | ".join(cell.ljust(width) for cell, width in zip(cells, widths)) + " |"

        lines = [line(header), "|" + "|".join("-" * (width + 2) for width in widths) + "|"]
        lines += [line(row) for row in self.rows]
        return "\n".join(lines + [""] + self.verdicts)


def envsubst_environment(work):
    env = dict(os.environ)
    with open(os.path.join(work, "subs.env")) as assignments:
        for line in assignments:
            name, value = line.removeprefix("export ").rstrip("\n").split("=", 1)
            env[name] = value.strip("'")
    return env


def shell_format(work):
    with open(os.path.join(work, "shell_format.txt")) as text:
        return text.read()


def run_big_template(args, new_outputs):
    """The big template by fillwright, envsubst and cat. With new_outputs,
    each output is removed (untimed) before every run, so that each tool
    writes a new file instead of truncating or writing over the last one."""
    work = args.work
    env = envsubst_environment(work)

    def removing(name):
        def remove():
            if new_outputs and os.path.exists(os.path.join(work, name)):
                os.remove(os.path.join(work, name))
        return remove

    tools = [
        tool("fillwright", [args.binary, "big", "subs.txt"], prepare=removing("big/big")),
        tool("envsubst", ["envsubst", shell_format(work)], stdin=os.path.join(work, "big_env.txt"),
             stdout=os.path.join(work, "big_env.out"), env=env, prepare=removing("big_env.out")),
        tool("cat", ["cat", "big/big.pre"], stdout=os.path.join(work, "big_cat.out"),
             prepare=removing("big_cat.out")),
    ]
    run_case(tools, args.rounds, work)
    if not filecmp.cmp(os.path.join(work, "big", "big"), os.path.join(work, "big_env.out"),
                       shallow=False):
        sys.exit("big template: fillwright and envsubst wrote different outputs")
    return tools


def big_template_case(args, out):
    tools = run_big_template(args, new_outputs=False)
    fillwright, envsubst, cat = tools
    out.add_case("big template", tools)
    out.check("big template at least 8x faster than envsubst",
              envsubst.median_wall() >= 8 * fillwright.median_wall())
    out.check("big template within 1.5x of cat",
              fillwright.median_wall() <= 1.5 * cat.median_wall())


def big_new_output_case(args, out):
    """No target: cat then copies within the kernel into a file that needs no
    truncating, which no tool that reads the bytes can match."""
    out.add_case("big template, new output", run_big_template(args, new_outputs=True))


def many_files_case(args, out):
    work = args.work
    copy = os.path.join(work, "copy")

    def remove_copy():
        shutil.rmtree(copy, ignore_errors=True)

    loop = ('find tree_env -name "*.pre" -type f | while IFS= read -r f; do '
            'envsubst "$1" < "$f" > "${f%.pre}"; done')
    tools = [
        tool("fillwright", [args.binary, "tree", "subs.txt"]),
        tool("cp -r", ["cp", "-r", "pristine", "copy"], prepare=remove_copy),
        tool("envsubst loop", ["bash", "-c", loop, "loop", shell_format(work)],
             env=envsubst_environment(work), rounds=args.loop_rounds),
    ]
    run_case(tools, args.rounds, work)
    remove_copy()
    compare_trees(os.path.join(work, "tree"), os.path.join(work, "tree_env"))
    fillwright, cp = tools[:2]
    out.add_case("many files", tools)
    out.check("many files within 3x of cp -r", fillwright.median_wall() <= 3 * cp.median_wall())


def rerun_case(args, out):
    """The many-files tree run again with nothing changed: every output is
    already what the run would write."""
    work = args.work
    copy = os.path.join(work, "copy")

    def remove_copy():
        shutil.rmtree(copy, ignore_errors=True)

    tools = [
        tool("fillwright", [args.binary, "tree", "subs.txt"]),
        tool("fillwright --atomic", [args.binary, "tree", "subs.txt", "--atomic"]),
        tool("cp -r", ["cp", "-r", "pristine", "copy"], prepare=remove_copy),
    ]
    run_case(tools, args.rounds, work)
    remove_copy()
    before = output_stamps(os.path.join(work, "tree"))
    for fillwright_run in tools[:2]:
        subprocess.run(fillwright_run.argv, cwd=work, check=True)
        if output_stamps(os.path.join(work, "tree")) != before:
            sys.exit(f"rerun: {fillwright_run.label} rewrote outputs that were unchanged")
    fillwright, atomic, cp = tools
    out.add_case("rerun", tools)
    out.check("rerun within 3x of cp -r", fillwright.median_wall() <= 3 * cp.median_wall())
    out.check("rerun --atomic within 3x of cp -r", atomic.median_wall() <= 3 * cp.median_wall())


def output_stamps(tree):
    stamps = {}
    for directory, _, names in os.walk(tree):
        for name in names:
            if name.endswith(".pre"):
                status = os.stat(os.path.join(directory, name[: -len(".pre")]))
                stamps[os.path.join(directory, name)] = (status.st_ino, status.st_mtime_ns)
    return stamps


def compare_trees(ours, theirs):
    for directory, _, names in os.walk(ours):
        for name in names:
            if name.endswith(".pre"):
                output = os.path.join(directory, name[: -len(".pre")])
                other = os.path.join(theirs, os.path.relpath(output, ours))
                if not filecmp.cmp(output, other, shallow=False):
                    sys.exit(f"many files: {output} and {other} differ")


def start_up_case(args, out):
    work = args.work
    os.makedirs(os.path.join(work, "empty"), exist_ok=True)
    tools = [tool("fillwright", [args.binary, "empty", "subs.txt"]), tool("true", ["true"])]
    run_case(tools, args.rounds * 4, work)
    out.add_case("start-up", tools)
    out.check("start-up under 5 ms of CPU", tools[0].median_cpu() < 0.005)


def same_file(path, expected_path, case):
    if not filecmp.cmp(path, expected_path, shallow=False):
        sys.exit(f"{case}: {path} is not the expected expansion")


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as data:
        while chunk := data.read(1 << 20):
            digest.update(chunk)
    return digest.hexdigest()


def run_against_cat(args, name):
    """fillwright on the template name/name.pre, and cat of the same file."""
    tools = [
        tool("fillwright", [args.binary, name, "subs.txt"]),
        tool("cat", ["cat", f"{name}/{name}.pre"],
             stdout=os.path.join(args.work, f"{name}_cat.out")),
    ]
    run_case(tools, args.rounds, args.work)
    return tools


def nul_lines_case(args, out):
    work = args.work
    tools = run_against_cat(args, "nul")
    same_file(os.path.join(work, "nul", "nul"), os.path.join(work, "nul_expected.txt"),
              "NUL lines")
    fillwright, cat = tools
    out.add_case("NUL lines", tools)
    out.check("NUL on every line within 3x of cat",
              fillwright.median_wall() <= 3 * cat.median_wall())


def paren_line_case(args, out):
    work = args.work
    tools = run_against_cat(args, "paren")
    with open(os.path.join(work, "paren", "paren"), "rb") as ours, open(
        os.path.join(work, "paren", "paren.pre"), "rb"
    ) as template:
        if ours.read() != template.read() + b"\n":
            sys.exit("paren line: the line did not come out as written")
    out.add_case("paren line", tools)
    out.check("1 MB line of $( under 100 ms", tools[0].median_wall() < 0.1)


def long_line_case(args, out):
    work = args.work
    tools = run_against_cat(args, "long")
    with open(os.path.join(work, "long_expected.sha256")) as expected:
        if sha256_of(os.path.join(work, "long", "long")) != expected.read().strip():
            sys.exit("long line: the output is not the expected expansion")
    out.add_case("200 MB line", tools)
    out.check("200 MB line in under 32 MiB", tools[0].max_rss_kb < 32 * 1024)


SPARSE_SIZE = 3 * 1024**3
MEMORY_LIMIT_KB = 1536 * 1024


def deep_includes_case(args, out):
    """24 nested includes, each opening with a 12 MB directive line that is
    passed over and a 1 MB one that is taken: memory must not grow with the
    depth times the length of a line."""
    tools = [tool("fillwright", [args.binary, "deep", "subs.txt"], quiet=True)]
    run_case(tools, args.rounds, args.work)
    with open(os.path.join(args.work, "deep", "deep"), "rb") as ours:
        expected = b"top\n" + b"".join(b"level %d\n" % level for level in range(1, 25))
        if ours.read() != expected:
            sys.exit("deep includes: the output is not the expected expansion")
    out.add_case("deep includes", tools)
    out.check("24 includes deep of 12 MB lines in under 32 MiB", tools[0].max_rss_kb < 32 * 1024)


def sparse_line_case(args, out):
    """A 3 GB sparse file without a line feed, under a memory limit that a
    line held whole would break. Writes 3 GB: only run when asked for."""
    work = args.work
    directory = os.path.join(work, "sparse")
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, "sparse.pre"), "wb") as template:
        template.truncate(SPARSE_SIZE)
    limited = ["sh", "-c", f'ulimit -v {MEMORY_LIMIT_KB} && exec "$@"', "sh"]
    tools = [tool("fillwright", limited + [args.binary, "sparse", "subs.txt"], rounds=1)]
    try:
        tools[0].run_once(work)
        tools[0].measure_memory(work)
        output = os.path.join(directory, "sparse")
        with open(output, "rb") as data:
            size = 0
            while chunk := data.read(1 << 24):
                size += len(chunk)
                if chunk.count(0) != len(chunk) - chunk.endswith(b"\n"):
                    sys.exit("sparse line: the output holds more than NUL bytes")
        if size != SPARSE_SIZE + 1:
            sys.exit(f"sparse line: {size} bytes written")
    finally:
        shutil.rmtree(directory, ignore_errors=True)
    out.add_case("3 GB sparse line", tools)
    out.check("3 GB sparse line under a 1.5 GB limit in under 32 MiB",
              tools[0].max_rss_kb < 32 * 1024)


CASES = {
    "big": big_template_case,
    "big-new": big_new_output_case,
    "many": many_files_case,
    "start-up": start_up_case,
    "nul": nul_lines_case,
    "paren": paren_line_case,
    "long": long_line_case,
    "sparse": sparse_line_case,
    "rerun": rerun_case,
    "deep": deep_includes_case,
}
DEFAULT_CASES = ["big", "big-new", "many", "start-up", "nul", "paren", "long", "rerun", "deep"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--work", required=True, help="directory holding the workloads")
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--loop-rounds", type=int, default=3,
                        help="rounds of the slow envsubst loop (it takes seconds a run)")
    parser.add_argument("--cases", nargs="+", choices=sorted(CASES), default=DEFAULT_CASES,
                        help="the cases to run (all but sparse, which writes 3 GB, by default)")
    args = parser.parse_args()
    args.binary = os.path.abspath(args.binary)
    out = report()
    for case in args.cases:
        CASES[case](args, out)
    print(out.text())


if __name__ == "__main__":
    main()
