#!/usr/bin/env python3
"""Races fillwright against an attacker who swaps a directory of the tree
with a link to a directory outside it (an atomic exchange of the two names,
renameat2 with RENAME_EXCHANGE), over and over, while the runs go on. Counts
the files outside that any run wrote or created; the promise is none.

Usage: bench/race_stress.py --binary build/release/fillwright [--runs 1000]
Linux only (renameat2)."""

import argparse
import ctypes
import os
import subprocess
import sys
import tempfile
import threading

AT_FDCWD = -100
RENAME_EXCHANGE = 2


def snapshot(directory):
    """Every name under directory with the bytes of its files."""
    found = {}
    for root, dirs, files in os.walk(directory):
        for name in dirs:
            found[os.path.relpath(os.path.join(root, name), directory)] = None
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                found[os.path.relpath(f.name, directory)] = f.read()
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--runs", type=int, default=1000)
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    libc = ctypes.CDLL(None, use_errno=True)
    exchange = libc.renameat2
    exchange.argtypes = [ctypes.c_int, ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_uint]

    with tempfile.TemporaryDirectory(prefix="fillwright-race-") as work:
        os.makedirs(os.path.join(work, "tree/sub/deep"))
        os.makedirs(os.path.join(work, "outside/deep"))
        for template in ("tree/sub/victim.pre", "tree/sub/deep/victim.pre"):
            with open(os.path.join(work, template), "w") as f:
                f.write("the attacker's text $(HOST)\n")
        for victim in ("outside/victim", "outside/deep/victim"):
            with open(os.path.join(work, victim), "w") as f:
                f.write("precious\n")
        open(os.path.join(work, "subs"), "w").close()
        os.symlink(os.path.join(work, "outside"), os.path.join(work, "tree/swap"))
        before = snapshot(os.path.join(work, "outside"))

        running = True
        swaps = 0

        def swap():
            nonlocal swaps
            one = os.path.join(work, "tree/sub").encode()
            other = os.path.join(work, "tree/swap").encode()
            while running:
                if exchange(AT_FDCWD, one, AT_FDCWD, other, RENAME_EXCHANGE) == 0:
                    swaps += 1

        swapper = threading.Thread(target=swap)
        swapper.start()
        written = 0
        modes = ([], ["--atomic"])
        try:
            for run in range(args.runs):
                subprocess.run([binary, "tree", "subs", "-FQDN=alpha.example.org"] + modes[run % 2],
                               cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                after = snapshot(os.path.join(work, "outside"))
                if after != before:
                    written += sum(1 for name in set(after) | set(before)
                                   if after.get(name) != before.get(name))
                    # Put the victims back, so that each run is judged alone.
                    for name in set(after) - set(before):
                        path = os.path.join(work, "outside", name)
                        if after[name] is not None:
                            os.remove(path)
                    for name, content in before.items():
                        if content is not None:
                            with open(os.path.join(work, "outside", name), "wb") as f:
                                f.write(content)
        finally:
            running = False
            swapper.join()
    print(f"runs: {args.runs}, swaps: {swaps}, files written outside the tree: {written}")
    return 0 if written == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
