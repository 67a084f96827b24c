#!/usr/bin/env python3
"""Writes a large template and its substitutions file for timing the expansion.

The template holds text lines with two or three keyword tokens each, in both
the $NAME and the $(NAME) form, mixed with lines without tokens. The data is
generated into a fresh temporary directory (or --dir), never into the source
tree; the directory is printed on the last line of output.

Files written:
  big.pre   the template (about 46 MB at the default 1,000,000 lines)
  subs.txt  keyword=value lines for every keyword the template uses
  subs.env  the same values as shell assignments, for comparing with envsubst
"""

import argparse
import os
import random
import tempfile

KEYWORDS = {
    "HOST": "web01",
    "DOMAIN": "example.org",
    "FQDN": "web01.example.org",
    "IPADDR": "10.20.30.40",
    "HTTP_PORT": "8080",
    "HTTPS_PORT": "8443",
    "ROOTDN": "dc=example,dc=org",
    "LOCAL_DIR": "/srv/config",
    "ADMIN": "ops",
    "LOG_LEVEL": "info",
}

WORDS = ["server", "listen", "user", "path", "name", "root", "log", "port", "set", "for"]
INDENT = "    "


def token(rng, keyword):
    return "$(" + keyword + ")" if rng.random() < 0.5 else "$" + keyword + " "


def text_line(rng, names):
    if rng.random() < 0.1:
        return INDENT + " ".join(rng.choice(WORDS) for _ in range(8))
    parts = []
    for _ in range(rng.choice((2, 3, 3))):
        parts.append(rng.choice(WORDS) + " " + token(rng, rng.choice(names)))
    return INDENT + " ".join(parts).rstrip() + ";"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--dir", help="existing directory to write into")
    args = parser.parse_args()

    directory = args.dir or tempfile.mkdtemp(prefix="fillwright-bench-")
    rng = random.Random(args.seed)
    names = sorted(KEYWORDS)
    with open(os.path.join(directory, "big.pre"), "w", newline="\n") as out:
        for _ in range(args.lines):
            out.write(text_line(rng, names) + "\n")
    with open(os.path.join(directory, "subs.txt"), "w", newline="\n") as out:
        for name in names:
            out.write(f"{name}={KEYWORDS[name]}\n")
    with open(os.path.join(directory, "subs.env"), "w", newline="\n") as out:
        for name in names:
            out.write(f"export {name}='{KEYWORDS[name]}'\n")
    print(directory)


if __name__ == "__main__":
    main()
