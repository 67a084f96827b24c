#!/usr/bin/env python3
"""Writes a large template and its substitutions for timing the expansion.

Most lines hold two or three keyword tokens in both the $NAME and the $(NAME)
form; some hold none, some unknown tokens or dollar signs that begin no token.
The data is generated into a fresh temporary directory (or --dir), never into
the source tree; the directory is printed on the last line of output.

Files written:
  big/big.pre       the template (about 46 MB at the default 1,000,000 lines)
  big_env.txt       the same text with ${NAME} where envsubst needs it
  subs.txt, shell_format.txt, subs.env   see template_text.write_substitutions
"""

import argparse
import os
import random
import tempfile

from template_text import text_line, write_substitutions


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--dir", help="existing directory to write into")
    args = parser.parse_args()

    directory = args.dir or tempfile.mkdtemp(prefix="fillwright-bench-")
    rng = random.Random(args.seed)
    os.makedirs(os.path.join(directory, "big"), exist_ok=True)
    with open(os.path.join(directory, "big", "big.pre"), "w", newline="\n") as ours, open(
        os.path.join(directory, "big_env.txt"), "w", newline="\n"
    ) as theirs:
        for _ in range(args.lines):
            mine, env = text_line(rng)
            ours.write(mine + "\n")
            theirs.write(env + "\n")
    write_substitutions(directory)
    print(directory)


if __name__ == "__main__":
    main()
