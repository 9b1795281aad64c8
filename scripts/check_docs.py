"""Checks the documents against the built program and tools, so that they cannot drift from them,
and checks their Markdown as a renderer reads it.

Against the program, fed what the document shows typed and then end of input:
- a sample session, a code block whose first line is `$ bash scripts/run.sh`: the lines the program
  does not print are what was typed; fed those, it must print the rest, byte for byte;
- a table row that shows a price (a code span `the price is ...`): its "you type" cell starts with
  the entries in a code span, and fed those, the program's last line must be that span's text.
A price the program prints may stand nowhere else, where nothing would check it.

Against the tools and tests, each figure in FIGURES where the document says it, rounded as shown,
and the accuracy table's standard errors and deviations. A duration that is not such a figure was
measured, and holds on that machine only: its paragraph, list item or table row says where, when
and at what commit, as "measured on PROCESSOR, DATE at COMMIT", a commit that exists.

The Markdown: a table is a header, a separator and rows of as many cells, closed by a blank line (a
line of text right after a table renders as a row of it, and a row after a blank line or a paragraph
as text); cells of at most 200 characters; other lines of at most 120, code blocks exempt, since
they show commands and output as they are; code blocks closed; links to files and headings that
exist. Each difference is named with its file and line; the status is 1 if there is any.

Usage: check_docs.py PROGRAM BUILD_DIR FILE.md ...  (run from the project's root)
"""

import concurrent.futures
import math
import os
import pathlib
import re
import subprocess
import sys
import time

from markdown_it import MarkdownIt
from markdown_it.rules_block.table import escapedSplit

MAX_LINE, MAX_CELL = 120, 200
SESSION = "$ bash scripts/run.sh"
PRICE = re.compile(r"the price is \S")
PRICE_VALUE = re.compile(r"the price is ([-\d.]+)")
SCHEME = re.compile(r"^[a-z][a-z0-9+.-]*:")

# The figures that the tools and tests print, each where a document says it: the file, a pattern
# whose first group is the figure, the fact (a key of facts()), and the scale it is written in.
FIGURES = [
    ("README.md", r"past about ([\d.]+) \* 10\^9 paths", "paths in one period", 1e9),
    ("docs/accuracy.md", r"worth ([\d.]+) in\s+closed form", "closed form", 1),
    ("docs/accuracy.md", r"repeats after 2\^32 values, (2\^\d+) attempts", "period", 1),
    ("docs/accuracy.md", r"of which ([\d,]+) are accepted", "paths in one period", 1),
    ("docs/accuracy.md", r"about ([\d.]+) \* 10\^9 paths", "paths in one period", 1e9),
    ("docs/accuracy.md", r"each counted once \(([\d,]+) pairs\)", "pairs accepted", 1),
    ("docs/accuracy.md", r"is ([\d.]+),\s+against [\d.]+ in closed form", "pair price", 1),
    ("docs/accuracy.md", r"against ([\d.]+) in closed form", "closed form", 1),
    ("docs/accuracy.md", r"closed form: ([\d.e-]+) high", "bias", 1),
    ("docs/accuracy.md", r"high, ([\d.]+) %", "bias in percent", 1),
    ("docs/reading-entries.md", r"past about ([\d.]+) \* 10\^9", "paths in one period", 1e9),
    ("docs/speed.md", r"a grid of (\d+) inputs", "grid inputs", 1),
    ("docs/speed.md", r"blocks of (\d+) \(`kBlockSize`", "block size", 1),
    ("docs/speed.md", r"accepts the (\d+)th", "block size", 1),
    ("docs/robustness.md", r"end-to-end, (\d+) cases", "bad entry cases", 1),
    ("docs/robustness.md", r"from (\d+) seed entries", "seed entries", 1),
    ("docs/robustness.md", r"([\d,]+) inputs in every CI run", "inputs fuzzed in CI", 1),
    ("docs/building.md", r"feeds each (\d+) entries", "cross-checked entries", 1),
    ("docs/building.md", r"or after (\d+) s where a firewall", "download limit", 1),
]

DURATION = re.compile(r"\b(?:\d+(?:\.\d+)?|one|two|three|four|five|six|seven|eight|nine|ten)"
                      r"(?: and a half)?[\s-]+(?:ms|s|seconds?|min|minutes?|hours?)\b"
                      r"|\ban? (?:minute|hour)\b", re.IGNORECASE)
MEASURED = re.compile(r"measured on ([^,()]+), (\d{4}-\d{2}-\d{2}) at ([0-9a-f]{7,40})\b")

start = time.monotonic()
md = MarkdownIt("commonmark").enable("table")
problems = []  # (file, line, what, texts, what the document's text is set against, if anything)


def problem(path, line, what, *texts, against=None):
    problems.append((os.path.relpath(path), line, what, texts, against))


def count(n, thing):
    return f"{n} {thing}{'s' if n != 1 else ''}"


class Document:
    """A Markdown file's lines and the tokens that markdown-it makes of it."""

    def __init__(self, path):
        self.path = path
        with open(path, encoding="utf-8") as f:
            self.text = f.read()
        self.lines = self.text.split("\n")
        self.tokens = md.parse(self.text)

    def line_of(self, token, text):
        """The 1-based line of a block token's lines that holds the text, else its first."""
        first, end = token.map
        return next((k + 1 for k in range(first, end) if text in self.lines[k]), first + 1)


anchors_of = {}


def anchors(path):
    """The anchors of a file's headings, as the renderer makes them from their text."""
    if path not in anchors_of:
        tokens, seen, found = Document(path).tokens, {}, set()
        for k, token in enumerate(tokens):
            if token.type == "heading_open":
                text = "".join(child.content for child in tokens[k + 1].children
                               if child.type in ("text", "code_inline"))
                base = re.sub(r"[^\w\- ]", "", text.strip().lower()).replace(" ", "-")
                found.add(f"{base}-{seen[base]}" if base in seen else base)
                seen[base] = seen.get(base, 0) + 1
        anchors_of[path] = found
    return anchors_of[path]


def check_links(doc, inline):
    for child in inline.children or []:
        target = child.attrs.get("href") or child.attrs.get("src")
        if child.type not in ("link_open", "image") or not target or SCHEME.match(target):
            continue
        line = doc.line_of(inline, target)
        file, _, anchor = target.partition("#")
        linked = os.path.normpath(os.path.join(os.path.dirname(doc.path), file)) if file \
            else doc.path
        if not os.path.exists(linked):
            problem(doc.path, line, f"a link to {file}, which does not exist", target)
        elif anchor and linked.endswith(".md") and anchor not in anchors(linked):
            problem(doc.path, line,
                    f"a link to #{anchor}, a heading {os.path.relpath(linked)} lacks", target)


def figure_spans(doc):
    """Where the figures that FIGURES checks in this document stand in its text."""
    name = os.path.relpath(doc.path)
    return [match.span(1) for file, pattern, *_ in FIGURES if file == name
            for match in re.finditer(pattern.replace(" ", r"\s+"), doc.text, re.IGNORECASE)]


def check_timings(doc, first, end):
    """The durations in lines first to end, a paragraph, list item or table row, outside code
    spans, which show what a program prints: each measured one needs the note."""
    offset = sum(len(line) + 1 for line in doc.lines[:first])
    prose = re.sub(r"`[^`\n]*`", lambda span: " " * len(span[0]), "\n".join(doc.lines[first:end]))
    timings = list(DURATION.finditer(prose))
    if timings:
        figures = figure_spans(doc)
        timings = [match for match in timings
                   if not any(start <= offset + match.start() < stop for start, stop in figures)]
    if not timings:
        return
    line = first + 1 + prose.count("\n", 0, timings[0].start())
    note = MEASURED.search(" ".join(prose.split()))
    if note is None:
        problem(doc.path, line, "a timing that does not say where it was measured: add "
                "(measured on PROCESSOR, DATE at COMMIT)", timings[0][0])
    elif subprocess.run(["git", "cat-file", "-e", note[3] + "^{commit}"],
                        stderr=subprocess.DEVNULL, check=False).returncode != 0:
        problem(doc.path, line, f"a timing measured at {note[3]}, which names no commit", note[0])


def check_prices_outside(doc, inline):
    for child in inline.children or []:
        if child.type == "code_inline" and PRICE.match(child.content):
            problem(doc.path, doc.line_of(inline, child.content),
                    "a price outside a table row or sample session, where nothing checks it",
                    child.content)


def rows(tokens, first):
    """The rows of the table that opens at tokens[first]: each its tr_open token and cells."""
    found, k = [], first
    while tokens[k].type != "table_close":
        if tokens[k].type == "tr_open":
            found.append((tokens[k], []))
        elif tokens[k].type == "inline":
            found[-1][1].append(tokens[k])
        k += 1
    return found, k


def check_table(doc, tokens, first, jobs, priced_rows):
    found, end = rows(tokens, first)
    header = [cell.content for cell in found[0][1]]
    typed = next((k for k, text in enumerate(header) if text.lower().startswith("you type")), None)
    for n, (row, row_cells) in enumerate(found):
        line, source = row.map[0] + 1, doc.lines[row.map[0]]
        if not source.lstrip().startswith("|"):
            problem(doc.path, line, "text right after a table renders as one of its rows: "
                    "leave a blank line", source)
            continue
        check_timings(doc, *row.map)
        # Split as the parser splits, which drops the cells past the header's silently.
        written = escapedSplit(source.strip())
        for end_cell in (0, -1):
            if written and not written[end_cell]:
                written.pop(end_cell)
        if len(written) != len(header):
            problem(doc.path, line, f"{len(written)} cells where the header has {len(header)}",
                    source)
        for cell in row_cells:
            if len(cell.content) > MAX_CELL:
                problem(doc.path, line, f"a cell of {len(cell.content)} characters, over "
                        f"{MAX_CELL}", cell.content)
            check_links(doc, cell)
        shown = [child.content for cell in row_cells for child in cell.children
                 if child.type == "code_inline" and PRICE.match(child.content)]
        if n == 0 or not shown:
            continue
        entries = None
        if typed is not None and row_cells[typed].children:
            entries = row_cells[typed].children[0]
        if len(shown) > 1 or entries is None or entries.type != "code_inline":
            problem(doc.path, line, 'a row that shows a price needs one, and a "you type" cell '
                    "that starts with the entries in a code span", source)
        else:
            jobs.append((doc.path, line, "table row", entries.content, shown[0]))
            priced_rows.append((doc.path, line, header, [cell.content for cell in row_cells]))
    return end


def check_code(doc, token, jobs):
    first, end = token.map
    body = token.content.split("\n")
    if token.type == "fence":
        opened = token.markup
        closing = re.compile(r"^ {0,3}%s{%d,}\s*$" % (re.escape(opened[0]), len(opened)))
        if end - 1 == first or not closing.match(doc.lines[end - 1]):
            problem(doc.path, first + 1, "a code block that is never closed")
        first += 1
        if body[0].strip() == SESSION:
            jobs.append((doc.path, first + 2, "session", "\n".join(body[1:-1]), None))
            return
    for n, text in enumerate(body):
        if PRICE.search(text):
            problem(doc.path, first + 1 + n,
                    "a price outside a table row or sample session, where nothing checks it", text)


def check_markdown(doc, jobs, priced_rows):
    exempt = set()  # the lines of code blocks and tables, whose length is free
    tokens, k = doc.tokens, 0
    while k < len(tokens):
        token = tokens[k]
        if token.type in ("fence", "code_block"):
            exempt.update(range(*token.map))
            check_code(doc, token, jobs)
        elif token.type == "table_open":
            exempt.update(range(*token.map))
            k = check_table(doc, tokens, k, jobs, priced_rows)
        elif token.type == "inline":
            for line in range(*token.map):
                if doc.lines[line].lstrip().startswith("|"):
                    problem(doc.path, line + 1, "a table row with no header and separator above "
                            "it (a paragraph or a blank line inside a table?)", doc.lines[line])
            check_links(doc, token)
            check_prices_outside(doc, token)
            check_timings(doc, *token.map)
        k += 1
    for line, text in enumerate(doc.lines):
        if line not in exempt and len(text) > MAX_LINE:
            problem(doc.path, line + 1, f"a line of {len(text)} characters, over {MAX_LINE}", text)


def run(entries):
    """What the program prints on standard output, fed these entries and then end of input;
    standard error is no terminal, as in CI, so what the program shows only there stays out."""
    done = subprocess.run([program], input=entries.encode(), stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=600)
    return done.stdout.decode(errors="replace")


def check_session(first, transcript):
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


def check_row(line, entries, expected):
    printed = run(entries + "\n").split("\n")[-1]
    if printed != expected:
        return line, f"fed `{entries}`, the program prints another line", expected, printed
    return None


def check(job):
    path, line, kind, entries, expected = job
    if kind == "session":
        return check_session(line, entries)
    return check_row(line, entries, expected)


def output_of(*command):
    return subprocess.run(command, stdout=subprocess.PIPE, check=True, text=True).stdout


def facts(build):
    """What the figures in FIGURES and the accuracy table stand for, as the tools print them."""
    limits = dict(line.split(": ", 1) for line in
                  output_of(f"{build}/tools/generator_limits").splitlines() if ": " in line)
    grid = [name.split("  #")[0].strip().rsplit("_", 1)[0] for name in output_of(
        f"{build}/tests/unit_tests", "--gtest_list_tests", "--gtest_filter=Grid/*").splitlines()
        if name.startswith("  ")]
    bad_entries = output_of(f"{build}/tests/console_tests", "--gtest_list_tests",
                            "--gtest_filter=EachRead/BadEntry.*").count("\n  ")
    cross_checked = output_of("bash", "-c", 'eval "$(sed -n "/^entries=(/,/^)/p" '
                              'scripts/cross-check.sh)"; echo ${#entries[@]}')
    closed, pair_price = (float(limits[name]) for name in ("closed form",
                                                            "price over every accepted pair"))
    return {
        "paths in one period": int(limits["paths in one period"]),
        "period": f"2^{int(limits['period'].split()[0]).bit_length() - 1}",
        "pairs accepted": int(limits["pairs accepted"]),
        "pair price": pair_price,
        "closed form": closed,
        "bias": pair_price - closed,
        "bias in percent": 100 * (pair_price - closed) / closed,
        "deviation of one path": float(
            limits["standard deviation of one path's discounted pay-off"]),
        "grid inputs": len(set(grid)),
        "bad entry cases": bad_entries,
        "seed entries": len(os.listdir("fuzz/corpus")),
        "inputs fuzzed in CI": int(re.search(r"-runs=(\d+)",
                                             pathlib.Path(".ci/run").read_text())[1]),
        "block size": int(output_of("git", "grep", "-h", "-o", "-E", r"kBlockSize = [0-9]+")
                          .split()[-1]),
        "cross-checked entries": int(cross_checked),
        "download limit": int(re.search(r"TIMEOUT (\d+)",
                                        pathlib.Path("cmake/GoogleTest.cmake").read_text())[1]),
    }


def rounded_like(shown, value):
    """The value written as the figure shown is, to as many digits."""
    if re.fullmatch(r"2\^\d+", shown) or isinstance(value, str):
        return str(value)
    mantissa, _, exponent = shown.partition("e")
    if exponent:
        digits = len(mantissa.partition(".")[2])
        text = f"{value:.{digits}e}"
        return re.sub(r"e([+-])0*(\d)", lambda m: "e" + m[1].replace("+", "") + m[2], text)
    digits = len(shown.partition(".")[2])
    return f"{value:,.{digits}f}" if "," in shown else f"{value:.{digits}f}"


def check_figures(docs, known):
    """Each figure in FIGURES where its document says it; how many there were."""
    checked = 0
    for name, pattern, fact, scale in FIGURES:
        doc = docs.get(os.path.abspath(name))
        if doc is None:
            continue
        matches = list(re.finditer(pattern.replace(" ", r"\s+"), doc.text, re.IGNORECASE))
        if not matches:
            problem(doc.path, 1, f"no figure where the check looks for the {fact}: "
                    "say it again, or change the check's pattern", pattern)
        value = known[fact]
        value = value / scale if not isinstance(value, str) else value
        checked += len(matches)
        for match in matches:
            expected = rounded_like(match[1], value)
            if match[1] != expected:
                problem(doc.path, doc.text.count("\n", 0, match.start(1)) + 1,
                        f"{fact}: another figure now", match[1], expected,
                        against="tools")
    return checked


def check_accuracy_table(path, line, header, cells, known):
    """A row with the columns paths, standard error, relative and off by: the standard error of a
    price over that many paths, as a fraction of the closed form, and how many standard errors off
    the price printed is (within that price's rounding)."""
    columns = {text: k for k, text in enumerate(header)}
    if not {"paths", "standard error", "relative", "off by"} <= columns.keys():
        return 0
    base, _, power = cells[columns["paths"]].partition("^")
    error = known["deviation of one path"] / math.sqrt(float(base) ** int(power or 1))
    closed = known["closed form"]
    price = PRICE_VALUE.search(" ".join(cells)).group(1)
    half = 0.5 * 10.0 ** -len(price.partition(".")[2])
    shown = {name: cells[columns[name]].split()[0] for name in ("standard error", "relative",
                                                                    "off by")}
    for name, expected in (("standard error", rounded_like(shown["standard error"], error)),
                           ("relative", rounded_like(shown["relative"], 100 * error / closed))):
        if shown[name] != expected:
            problem(path, line, f"{name}: another figure now", shown[name], expected,
                    against="tools")
    off, digits = float(shown["off by"]), len(shown["off by"].partition(".")[2])
    low, high = ((float(price) + sign * half - closed) / error for sign in (-1, 1))
    if not low - 0.5 * 10.0 ** -digits <= off <= high + 0.5 * 10.0 ** -digits:
        problem(path, line, "off by: another figure now",
                shown["off by"], f"{low:+.{digits}f} to {high:+.{digits}f}", against="tools")
    return 3


if __name__ == "__main__":
    program, build, paths = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3:]
    docs = {os.path.abspath(path): Document(path) for path in paths}
    jobs = []  # (file, line, kind, entries or transcript, the price shown)
    rows_shown = []  # (file, line, header, cells) of the rows that show a price
    for doc in docs.values():
        check_markdown(doc, jobs, rows_shown)

    # Two at a time: the longest rows take most of a minute each.
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        known = pool.submit(facts, build)
        for (path, *_), found in zip(jobs, pool.map(check, jobs)):
            if found:
                problem(path, found[0], found[1], *found[2:], against="program")
        known = known.result()
    figures = check_figures(docs, known)
    for row in rows_shown:
        figures += check_accuracy_table(*row, known)

    for file, line, what, texts, against in sorted(problems, key=lambda p: p[:2]):
        print(f"{file}:{line}: {what}")
        if against:
            print(f"    docs:    {texts[0]}\n    {against + ':':8} {texts[1]}")
        else:
            for text in texts:
                print(f"    {text}")

    sessions = sum(kind == "session" for _, _, kind, _, _ in jobs)
    print(f"check-docs: {count(len(paths), 'file')}; run through the program: "
          f"{count(sessions, 'sample session')}, {count(len(jobs) - sessions, 'table row')}; "
          f"{count(figures, 'figure')} against the tools; {count(len(problems), 'problem')}; "
          f"took {time.monotonic() - start:.0f} s")
    sys.exit(1 if problems else 0)
