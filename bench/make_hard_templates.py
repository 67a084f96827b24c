#!/usr/bin/env python3
"""Writes the templates that once made the expansion slow or large, each with
what it must expand to.

Files written under --dir (a fresh temporary directory by default), beside
subs.txt (see template_text.write_substitutions):
  nul/nul.pre         about 13 MB of markup lines, each with a NUL byte
  nul_expected.txt    its expansion
  paren/paren.pre     one 1 MB line of "$(" without a ")"
  long/long.pre       one line of about 200 MB, tokens throughout
  long_expected.sha256   the SHA-256 of its expansion
The directory is printed on the last line of output.
"""

import argparse
import hashlib
import os
import random
import tempfile

from template_text import KEYWORDS, text_line, write_substitutions

TABLE = {name.upper(): value for name, value in KEYWORDS.items()}


def expanded(line):
    """The line with its tokens replaced, up to its first NUL: the rules of
    the tool, a byte at a time."""
    out = []
    at = 0
    end = line.find("\0")
    end = len(line) if end < 0 else end
    while at < len(line):
        if at >= end or line[at] != "$":
            out.append(line[at])
            at += 1
            continue
        name_end = at + 1
        if name_end < end and line[name_end] == "(":
            close = line.find(")", name_end, end)
            name, token_end = (line[name_end + 1 : close], close + 1) if close >= 0 else (None, 0)
        else:
            while name_end < end and (line[name_end].isupper() or line[name_end] == "_"):
                name_end += 1
            name, token_end = line[at + 1 : name_end], name_end
        value = TABLE.get(name.upper()) if name is not None else None
        if value is None:
            out.append("$")
            at += 1
        else:
            out.append(value)
            at = token_end
    return "".join(out)


def write_nul_lines(directory, rng, size):
    os.makedirs(os.path.join(directory, "nul"), exist_ok=True)
    written = 0
    with open(os.path.join(directory, "nul", "nul.pre"), "w", newline="\n") as template, open(
        os.path.join(directory, "nul_expected.txt"), "w", newline="\n"
    ) as expected:
        while written < size:
            line = "<item>" + text_line(rng)[0] + "</item>"
            cut = rng.randrange(len(line) + 1)
            line = line[:cut] + "\0" + line[cut:]
            template.write(line + "\n")
            expected.write(expanded(line) + "\n")
            written += len(line) + 1


def write_paren_line(directory, size):
    os.makedirs(os.path.join(directory, "paren"), exist_ok=True)
    with open(os.path.join(directory, "paren", "paren.pre"), "w") as template:
        template.write("$(" * (size // 2))


def write_long_line(directory, rng, size):
    """A block of tokens and text, repeated without a line feed. The block
    ends with ";", so no token runs across the seams."""
    os.makedirs(os.path.join(directory, "long"), exist_ok=True)
    pieces = []
    while sum(map(len, pieces)) < 1_000_000:
        pieces.append(text_line(rng)[0])
    block = " ".join(pieces) + " "
    expanded_block = expanded(block).encode()
    digest = hashlib.sha256()
    with open(os.path.join(directory, "long", "long.pre"), "wb") as template:
        for _ in range(size // len(block)):
            template.write(block.encode())
            digest.update(expanded_block)
    digest.update(b"\n")
    with open(os.path.join(directory, "long_expected.sha256"), "w") as out:
        out.write(digest.hexdigest())


def write_deep_includes(directory, levels, long_size):
    """A template whose includes nest levels deep, each opening with a
    directive line too long to take and one of a value near the limit."""
    os.makedirs(os.path.join(directory, "deep"), exist_ok=True)
    with open(os.path.join(directory, "deep", "deep.pre"), "w") as template:
        template.write("top\n>>include 1\n")
    for level in range(1, levels + 1):
        with open(os.path.join(directory, "deep", str(level)), "w") as include:
            include.write(">>K=" + "x" * long_size + "\n")
            include.write(">>L=" + "y" * 1_000_000 + "\n")
            include.write(f"level {level}\n")
            if level < levels:
                include.write(f">>include {level + 1}\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=3)
    parser.add_argument("--nul-size", type=int, default=13_000_000)
    parser.add_argument("--paren-size", type=int, default=1_000_000)
    parser.add_argument("--long-size", type=int, default=200_000_000)
    parser.add_argument("--deep-levels", type=int, default=24)
    parser.add_argument("--deep-line-size", type=int, default=12_000_000)
    parser.add_argument("--dir", help="existing directory to write into")
    args = parser.parse_args()

    directory = args.dir or tempfile.mkdtemp(prefix="fillwright-bench-")
    rng = random.Random(args.seed)
    write_nul_lines(directory, rng, args.nul_size)
    write_paren_line(directory, args.paren_size)
    write_long_line(directory, rng, args.long_size)
    write_deep_includes(directory, args.deep_levels, args.deep_line_size)
    write_substitutions(directory)
    print(directory)


if __name__ == "__main__":
    main()
