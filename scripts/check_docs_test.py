"""The documents' check on small documents: what it must find, and what it must let pass."""

import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_docs  # noqa: E402

TABLE = "| a | b |\n|---|---|\n| 1 | 2 |\n"
ROW = "| `0.25 200 195 0.30 0.05 1000 0` | `the price is 10.5216` |\n"
PRICED = "| you type | it prints |\n|---|---|\n" + ROW
HEAD = subprocess.run(["git", "rev-parse", "--short", "HEAD"], stdout=subprocess.PIPE, text=True,
                      check=True).stdout.strip()

# (what the document says, the problems found, each by a part of its text and its line)
CASES = [
    ("a clean table", "Text.\n\n" + TABLE + "\nMore text.\n", []),
    ("a row after a paragraph", TABLE + "\nText.\n| 3 | 4 |\n", [("no header and separator", 6)]),
    ("a row after a blank line", TABLE + "\n| 3 | 4 |\n", [("no header and separator", 5)]),
    ("text right after a table", TABLE + "Text.\n", [("text right after a table", 4)]),
    ("a cell too many", TABLE + "| 3 | 4 | 5 |\n", [("3 cells where the header has 2", 4)]),
    ("a cell too few", TABLE + "| 3 |\n", [("1 cells where the header has 2", 4)]),
    ("an escaped pipe in a cell", TABLE + "| `a \\| b` | 4 |\n", []),
    ("a cell too long", TABLE + f"| {'x' * 201} | 4 |\n", [("a cell of 201 characters", 4)]),
    ("a line too long", "x" * 121 + "\n", [("a line of 121 characters", 1)]),
    ("long lines in code and tables", f"```\n{'x' * 200}\n```\n\n| {'x' * 150} |\n|---|\n", []),
    ("a fence never closed", "Text.\n\n```sh\nls\n", [("never closed", 3)]),
    ("a missing file", "See [it](missing.md).\n", [("missing.md, which does not exist", 1)]),
    ("a missing heading", "# One\n\n[it](#two)\n", [("#two, a heading", 3)]),
    ("headings as anchors", "# Builds, checked `here`\n\n# A\n\n# A\n\n[x](#builds-checked-here) "
     "[y](#a-1)\n", []),
    ("a link in a code span", "`[it](missing.md)`\n", []),
    ("a price in prose", "It prints `the price is 10.5216`.\n", [("a price outside", 1)]),
    ("a price in a code block", "```\nthe price is 10.5216\n```\n", [("a price outside", 2)]),
    ("a price with no entries", "| a | b |\n|---|---|\n| x | `the price is 1` |\n",
     [("needs one, and a \"you type\" cell", 3)]),
    ("a priced row", PRICED, []),
    ("a timing with no note", "It builds\nin two to five minutes.\n", [("a timing that", 2)]),
    ("a timing without the processor", "It takes 9 s (measured 2026-12-09 at " + HEAD + ").\n",
     [("a timing that", 1)]),
    ("a timing noted", "It takes 9 s (measured on\na 2-core Xeon, 2026-12-10 at " + HEAD + ").\n",
     []),
    ("a note naming no commit", "It takes 9 s (measured on a Xeon, 2026-12-10 at 0000000).\n",
     [("names no commit", 1)]),
    ("a duration in a code span", "It shows `52 %, 5 s left`.\n", []),
    ("a timing in a table row", "| a | b |\n|---|---|\n| x | a 5-minute run |\n",
     [("a timing that", 3)]),
]


class Markdown(unittest.TestCase):
    def check(self, text, name="doc.md"):
        check_docs.problems.clear()
        jobs = []
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, name)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            check_docs.check_markdown(check_docs.Document(path), jobs, [])
        return [(what, line) for _, line, what, _, _ in check_docs.problems], jobs

    def test_cases(self):
        for name, text, expected in CASES:
            with self.subTest(name):
                found, _ = self.check(text)
                self.assertEqual(len(found), len(expected), found)
                for (what, line), (part, at) in zip(sorted(found, key=lambda p: p[1]), expected):
                    self.assertIn(part, what)
                    self.assertEqual(line, at)

    def test_what_runs_through_the_program(self):
        _, jobs = self.check("Text.\n\n```console\n$ bash scripts/run.sh\n\nEnter\n0.25\n```\n\n"
                             + PRICED)
        self.assertEqual([job[1:] for job in jobs], [
            (5, "session", "\nEnter\n0.25", None),
            (12, "table row", "0.25 200 195 0.30 0.05 1000 0", "the price is 10.5216")])


class Figures(unittest.TestCase):
    def test_rounded_as_shown(self):
        for shown, value, expected in [
            ("10.5183", 10.518279574, "10.5183"),
            ("10.518280", 10.518279574, "10.518280"),
            ("1.7", 1.686525938, "1.7"),
            ("1,686,525,938", 1686525938, "1,686,525,938"),
            ("312", 312, "312"),
            ("4.5e-6", 4.496e-6, "4.5e-6"),
            ("0.00004", 4.27e-5, "0.00004"),
            ("2^31", "2^31", "2^31"),
        ]:
            with self.subTest(shown):
                self.assertEqual(check_docs.rounded_like(shown, value), expected)


if __name__ == "__main__":
    unittest.main()
