#!/usr/bin/python3
"""Runs fillwright --json over trees with hostile names and texts, in every
kind of run, and checks each report against docs/report.schema.json, and
that texts which are not UTF-8 keep their bytes in their Base64 members.

Usage: validate_reports.py --schema docs/report.schema.json --tool PROGRAM [RUNNER...]
A runner (such as wine) goes before the program."""

import argparse
import base64
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

POSIX = os.name == "posix"


def hostile_names(windows):
    names = [b"with space", b"it's", b"#hash&amp", b"-dash"]
    if not windows:
        names += [b'quote"d', b"back\\slash", b"new\nline", b"tab\there", b"\xff\xfe",
                  b"caf\xc3\xa9", b"\x1b[2Kforged"]
    return names


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_tree(root, windows):
    tree = os.path.join(root, b"tree")
    for name in hostile_names(windows):
        write(os.path.join(tree, name + b".pre"), b"$(HOST) $(MISSING)\n>>bad \xff\xfe line\n")
    write(os.path.join(tree, b"inc.pre"), b">>include nowhere\n")
    write(os.path.join(tree, b"same.pre"), b"same\n")
    write(os.path.join(root, b"subs"), b"HOST=h\xe9\n=rejected\n")
    if not windows:
        os.symlink(b"elsewhere", os.path.join(tree, b"linked"))
        write(os.path.join(tree, b"linked.pre"), b"x\n")


def texts_with_bytes(report):
    """Every (text, bytes) pair of members that have a Base64 twin."""
    found = []

    def walk(value):
        if isinstance(value, dict):
            for key, member in value.items():
                if key.endswith("Base64"):
                    found.append((value[key[: -len("Base64")]], base64.b64decode(member)))
                walk(member)
        elif isinstance(value, list):
            for item in value:
                walk(item)

    walk(report)
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--schema", required=True)
    parser.add_argument("--tool", required=True)
    parser.add_argument("runner", nargs="*")
    args = parser.parse_args()
    with open(args.schema) as f:
        validator = jsonschema.Draft202012Validator(json.load(f))
    windows = args.tool.endswith(".exe")
    command = args.runner + [args.tool]
    runs = [["--json"], ["--json", "--check"], ["--json", "--diff", "--explain"],
            ["--json", "--strict", "--atomic"], ["--json", "--verbose", "--strict"],
            ["--json", "--env=FW_", "-FQDN=a.b"]]
    failures = 0
    checked = 0
    environment = dict(os.environ, FW_COLOR="blue", WINEDEBUG="-all")
    for extra in runs:
        with tempfile.TemporaryDirectory(prefix="fillwright-json-") as work:
            make_tree(os.fsencode(work), windows)
            result = subprocess.run(command + ["tree", "subs"] + extra, cwd=work,
                                    capture_output=True, env=environment)
            label = " ".join(extra)
            try:
                report = json.loads(result.stdout)
            except ValueError as error:
                print(f"FAIL {label}: not one JSON document: {error}")
                failures += 1
                continue
            problems = [error.message for error in validator.iter_errors(report)]
            if report.get("exitStatus") != result.returncode:
                problems.append(f"exitStatus {report.get('exitStatus')} but the run ended with "
                                f"{result.returncode}")
            names = {os.fsencode(t.get("template", "")) for t in report.get("templates", [])}
            for text, data in texts_with_bytes(report):
                if "\ufffd" not in text:
                    problems.append(f"a Base64 member beside a text without U+FFFD: {text!r}")
                if text != data.decode("utf-8", errors="replace"):
                    problems.append(f"{text!r} is not what its bytes {data!r} show")
                names.add(data)
            for name in hostile_names(windows):
                if b"tree/" + name + b".pre" not in names:
                    problems.append(f"template {name!r} is not in the report with its bytes")
            for problem in problems:
                print(f"FAIL {label}: {problem}")
            failures += len(problems)
            checked += 1
    print(f"{checked} reports checked against the schema, {failures} failures")
    return 1 if failures or checked != len(runs) else 0


if __name__ == "__main__":
    sys.exit(main())
