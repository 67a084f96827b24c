#!/usr/bin/env python3
"""Writes a tree of many small templates and other files for timing the walk.

Files written under --dir (a fresh temporary directory by default):
  tree/       20,000 templates of about 1 KB and 20,000 other files, ten of
              each in every one of 2,000 directories (40 groups of 50)
  tree_env/   the same templates with ${NAME} where envsubst needs it
  subs.txt, shell_format.txt, subs.env   see template_text.write_substitutions
The directory is printed on the last line of output.
"""

import argparse
import os
import random
import tempfile

from template_text import WORDS, text_line, write_substitutions

LINES_PER_TEMPLATE = 22  # about 1 KB


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--groups", type=int, default=40)
    parser.add_argument("--dirs-per-group", type=int, default=50)
    parser.add_argument("--files-per-dir", type=int, default=10)
    parser.add_argument("--seed", type=int, default=2)
    parser.add_argument("--dir", help="existing directory to write into")
    args = parser.parse_args()

    directory = args.dir or tempfile.mkdtemp(prefix="fillwright-bench-")
    rng = random.Random(args.seed)
    for group in range(args.groups):
        for leaf in range(args.dirs_per_group):
            relative = os.path.join(f"g{group:02}", f"d{leaf:02}")
            ours_dir = os.path.join(directory, "tree", relative)
            theirs_dir = os.path.join(directory, "tree_env", relative)
            os.makedirs(ours_dir)
            os.makedirs(theirs_dir)
            for index in range(args.files_per_dir):
                lines = [text_line(rng) for _ in range(LINES_PER_TEMPLATE)]
                name = f"conf{index}.pre"
                with open(os.path.join(ours_dir, name), "w", newline="\n") as out:
                    out.writelines(mine + "\n" for mine, _ in lines)
                with open(os.path.join(theirs_dir, name), "w", newline="\n") as out:
                    out.writelines(env + "\n" for _, env in lines)
                other = " ".join(rng.choice(WORDS) for _ in range(170)) + "\n"
                with open(os.path.join(ours_dir, f"data{index}.txt"), "w", newline="\n") as out:
                    out.write(other)
    write_substitutions(directory)
    print(directory)


if __name__ == "__main__":
    main()
