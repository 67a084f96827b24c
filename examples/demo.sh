#!/usr/bin/env bash
# Builds fillwright, expands a copy of the demo tree and shows what it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native --target fillwright >/dev/null
rm -rf build/demo && mkdir -p build/demo && cp -r examples/tree build/demo/tree
# FQDN and IPaddr from the command line, so the demo looks the same anywhere.
./build/native/fillwright build/demo/tree examples/substitutions.txt \
    -FQDN=www.example.org -IPaddr=192.0.2.10
find build/demo/tree -type f ! -name '*.pre' ! -name '*.inc' | sort | while read -r output; do
    printf '\n===== %s\n' "${output#build/demo/tree/}"
    cat "$output"
done
