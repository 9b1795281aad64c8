#!/usr/bin/env bash
# Checks the documents against the built program, so that they cannot drift from it, and checks
# their Markdown.
#
# Against the program, fed what the document shows typed and then end of input:
# - a sample session, a code block whose first line is `$ bash scripts/run.sh`: the lines the
#   program does not print are what was typed; fed those, it must print the rest, byte for byte;
# - a table row that shows a price (a code span `the price is ...`): its "you type" cell starts with
#   the entries in a code span, and fed those, the program's last line must be that span's text.
# A price the program prints may stand nowhere else, where nothing would check it.
# The Markdown of every *.md file that git tracks, or of the files named: a table is a header, a
# separator and rows of as many cells, closed by a blank line (a line of text right after a table
# would render as a row of it); cells of at most 200 characters; prose lines of at most 120, code
# blocks exempt, since they show commands and output as they are; links to files and headings that
# exist. Each difference is named with its file and line; the status is 1 if there is any.
# Usage: scripts/check-docs.sh [FILE.md ...]
set -euo pipefail
files=()
for file in "$@"; do
    files+=("$(realpath "$file")")
done
cd "$(dirname "$0")/.."

scripts/install-deps.sh cmake g++ make python3
# The tests' build where there is one (CI has just made it), else the release build run.sh makes.
preset=release
[ -f build/test/CMakeCache.txt ] && preset="test"
echo "Building the program in build/$preset..." >&2
[ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target price_option -j"$(nproc)" >/dev/null
[ ${#files[@]} -gt 0 ] || mapfile -t files < <(git ls-files '*.md')

exec python3 - "build/$preset/app/price_option" "${files[@]}" <<'PYTHON'
import concurrent.futures
import os
import re
import subprocess
import sys
import time

MAX_PROSE, MAX_CELL = 120, 200
SESSION = "$ bash scripts/run.sh"
PRICE = re.compile(r"`(the price is [^`\s][^`]*)`")
FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
SEPARATOR_CELL = re.compile(r"^:?-+:?$")
LINK = re.compile(r"\]\(([^)\s]+)(?:\s+\"[^\"]*\")?\)")

start = time.monotonic()
program, paths = os.path.abspath(sys.argv[1]), sys.argv[2:]
problems = []  # (file, line, what, texts, whether texts are the document's and the program's)


def problem(path, line, what, *texts, against_program=False):
    problems.append((os.path.relpath(path), line, what, texts, against_program))


def count(n, thing):
    return f"{n} {thing}{'s' if n != 1 else ''}"


def run(entries):
    """What the program prints on standard output, fed these entries and then end of input;
    standard error is no terminal, as in CI, so what the program shows only there stays out."""
    done = subprocess.run([program], input=entries.encode(), stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=600)
    return done.stdout.decode(errors="replace")


def parse(path):
    """The file's code blocks, tables and other lines, each with its first line's number; and
    the line of a code block never closed, if any."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    blocks, tables, prose, unclosed = [], [], [], None
    i = 0
    while i < len(lines):
        fence = FENCE.match(lines[i])
        if fence:
            mark = fence.group(1)
            closing = re.compile(r"^ {0,3}%s{%d,}\s*$" % (re.escape(mark[0]), len(mark)))
            end = next((k for k in range(i + 1, len(lines)) if closing.match(lines[k])),
                       len(lines))
            if end == len(lines):
                unclosed = i + 1
            blocks.append((i + 1, lines[i + 1:end]))
            i = end + 1
        elif lines[i].lstrip().startswith("|"):
            end = next((k for k in range(i, len(lines)) if not lines[k].lstrip().startswith("|")),
                       len(lines))
            tables.append((i + 1, lines[i:end], lines[end] if end < len(lines) else ""))
            i = end
        else:
            prose.append((i + 1, lines[i]))
            i += 1
    return blocks, tables, prose, unclosed


def cells(row):
    """A table row's cells, split at the pipes that are not escaped."""
    parts = [part.strip() for part in re.split(r"(?<!\\)\|", row.strip())]
    if parts and not parts[0]:
        parts = parts[1:]
    if parts and not parts[-1] and row.rstrip().endswith("|"):
        parts = parts[:-1]
    return parts


headings = {}


def anchors(path):
    """The anchors of a file's headings, as the renderer makes them."""
    if path not in headings:
        seen, found = {}, set()
        for _, line in parse(path)[2]:
            heading = re.match(r"^#{1,6}\s+(.*?)\s*#*\s*$", line)
            if heading:
                text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading.group(1).lower())
                base = re.sub(r"[^\w\- ]", "", text).replace(" ", "-")
                found.add(f"{base}-{seen[base]}" if base in seen else base)
                seen[base] = seen.get(base, 0) + 1
        headings[path] = found
    return headings[path]


def check_links(path, line, text):
    for target in LINK.findall(re.sub(r"`[^`]*`", "", text)):
        if re.match(r"^[a-z][a-z0-9+.-]*:", target):
            continue
        file, _, anchor = target.partition("#")
        linked = os.path.normpath(os.path.join(os.path.dirname(path), file)) if file else path
        if not os.path.exists(linked):
            problem(path, line, f"a link to {file}, which does not exist", text)
        elif anchor and linked.endswith(".md") and anchor not in anchors(linked):
            problem(path, line, f"a link to #{anchor}, a heading {os.path.relpath(linked)} lacks",
                    text)


def check_table(path, first, rows, after, jobs):
    header = cells(rows[0])
    if len(rows) < 2 or not all(SEPARATOR_CELL.match(cell) for cell in cells(rows[1])):
        problem(path, first, "a table row with no header and separator above it "
                "(a paragraph or a blank line inside a table?)", rows[0])
        return
    if after.strip():
        problem(path, first + len(rows), "text right after a table renders as one of its rows: "
                "leave a blank line", after)
    typed = next((k for k, cell in enumerate(header) if cell.lower().startswith("you type")), None)
    for n, row in enumerate(rows):
        line, row_cells = first + n, cells(row)
        if len(row_cells) != len(header):
            problem(path, line, f"{len(row_cells)} cells where the header has {len(header)}", row)
        for cell in row_cells:
            if len(cell) > MAX_CELL:
                problem(path, line, f"a cell of {len(cell)} characters, over {MAX_CELL}", cell)
        shown = PRICE.findall(row)
        if n < 2 or not shown:
            continue
        entries = None
        if typed is not None and typed < len(row_cells):
            entries = re.match(r"`([^`]*)`", row_cells[typed])
        if len(shown) > 1 or not entries:
            problem(path, line, 'a row that shows a price needs one, and a "you type" cell that '
                    "starts with the entries in a code span", row)
        else:
            jobs.append((path, line, "table row", entries.group(1), shown[0]))


def check_session(path, first, transcript):
    """Types, one more each time, the transcript's lines that the program does not print, until
    it prints the rest; the first line where the two part, if they do."""
    typed = []  # (offset in the transcript, the line typed there)
    while True:
        output = run("".join(text + "\n" for _, text in typed))
        shown, used = "", 0  # the output with each typed line echoed where it was typed
        for offset, text in typed:
            cut = used + offset - len(shown)
            shown += output[used:cut] + text + "\n"
            used = cut
        shown += output[used:]
        if shown == transcript:
            return None
        d = next((k for k, (a, b) in enumerate(zip(shown, transcript)) if a != b),
                 min(len(shown), len(transcript)))
        line_end = transcript.find("\n", d)
        at_line_start = d == 0 or transcript[d - 1] == "\n"
        if at_line_start and line_end >= 0 and (not typed or d > typed[-1][0]):
            typed.append((d, transcript[d:line_end]))
            continue
        n = transcript.count("\n", 0, d)
        docs, printed = transcript.split("\n"), shown.split("\n")
        return (first + n, "the sample session differs from what the program prints",
                docs[n] if n < len(docs) else "(nothing more)",
                printed[n] if n < len(printed) else "(nothing more)")


def check_row(path, line, entries, expected):
    printed = run(entries + "\n").split("\n")[-1]
    if printed != expected:
        return line, f"fed `{entries}`, the program prints another line", expected, printed
    return None


jobs = []  # (file, line, kind, entries or transcript, the price shown)
for path in paths:
    blocks, tables, prose, unclosed = parse(path)
    if unclosed:
        problem(path, unclosed, "a code block that is never closed")
    for first, rows, after in tables:
        check_table(path, first, rows, after, jobs)
        for n, row in enumerate(rows):
            check_links(path, first + n, row)
    for first, block in blocks:
        if block and block[0].strip() == SESSION:
            jobs.append((path, first + 2, "session", "\n".join(block[1:]), None))
        else:
            for n, text in enumerate(block):
                if re.search(r"the price is \S", text):
                    problem(path, first + 1 + n, "a price outside a table row or sample session, "
                            "where nothing checks it", text)
    for line, text in prose:
        if len(text) > MAX_PROSE:
            problem(path, line, f"a line of {len(text)} characters, over {MAX_PROSE}", text)
        if PRICE.search(text):
            problem(path, line, "a price outside a table row or sample session, "
                    "where nothing checks it", text)
        check_links(path, line, text)


def check(job):
    path, line, kind, entries, expected = job
    if kind == "session":
        return check_session(path, line, entries)
    return check_row(path, line, entries, expected)


# Two at a time: the longest rows take most of a minute each.
with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
    for (path, *_), found in zip(jobs, pool.map(check, jobs)):
        if found:
            problem(path, found[0], found[1], *found[2:], against_program=True)

for file, line, what, texts, against_program in sorted(problems, key=lambda found: found[:2]):
    print(f"{file}:{line}: {what}")
    if against_program:
        print(f"    docs:    {texts[0]}\n    program: {texts[1]}")
    else:
        for text in texts:
            print(f"    {text}")


sessions = sum(kind == "session" for _, _, kind, _, _ in jobs)
print(f"check-docs: {count(len(paths), 'file')}; run through the program: "
      f"{count(sessions, 'sample session')}, {count(len(jobs) - sessions, 'table row')}; "
      f"{count(len(problems), 'problem')}; took {time.monotonic() - start:.0f} s")
sys.exit(1 if problems else 0)
PYTHON
