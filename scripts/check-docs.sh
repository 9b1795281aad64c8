#!/usr/bin/env bash
# Checks the documents against the built program, tools and tests, and checks their Markdown: the
# rules are in scripts/check_docs.py, which this builds what it needs for and runs. Each difference
# is named with its file and line; the status is 1 if there is any.
# Usage: scripts/check-docs.sh [FILE.md ...]   (default: every *.md file that git tracks)
set -euo pipefail
files=()
for file in "$@"; do
    files+=("$(realpath "$file")")
done
cd "$(dirname "$0")/.."

scripts/install-deps.sh cmake g++ make libgtest-dev python3 python3-markdown-it
# The tests' build: the figures come from its tools and test lists (CI has just built it all).
echo "Building the program, the tools and the tests in build/test..." >&2
[ -f build/test/CMakeCache.txt ] || cmake --preset test >/dev/null
cmake --build --preset test -j"$(nproc)" \
    --target price_option generator_limits unit_tests console_tests >/dev/null
[ ${#files[@]} -gt 0 ] || mapfile -t files < <(git ls-files '*.md')

# Debian's interpreter, which sees Debian's markdown-it, where another one comes first on the PATH.
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
# The check's own tests first, quiet unless one fails: a check that finds nothing proves little.
if ! tested=$("$python" -B scripts/check_docs_test.py 2>&1); then
    echo "$tested"
    echo "check-docs: the check itself fails its tests (scripts/check_docs_test.py)"
    exit 1
fi
exec "$python" -B scripts/check_docs.py build/test/app/price_option build/test "${files[@]}"
