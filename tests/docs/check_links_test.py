#!/usr/bin/env python3
"""scripts/check-links.py on small trees written here: each case a README, guide pages and the
faults expected (a part of each line), none meaning that the tree passes."""

import pathlib
import subprocess
import sys
import tempfile
import unittest

CHECKER = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-links.py"

CASES = [
    ("links and anchors that resolve",
     {"README.md": "# Top\n[a](docs/a.md#two-words) [b](#top) [c](src/x.cpp)\n",
      "docs/a.md": "# A\n## Two words\n[r]: b.md#b\n![p](p.png)\n", "docs/b.md": "# B\n",
      "docs/p.png": "", "src/x.cpp": ""}, []),
    ("a missing page, anchor and file",
     {"README.md": "# T\n[a](docs/none.md) [b](docs/a.md#none) [c](#tt)\n", "docs/a.md": "# A\n"},
     ["docs/none.md: no such file", "#none: no heading", "#tt: no heading"]),
    ("the guide leaving docs/, or naming a directory",
     {"README.md": "# T\n", "docs/a.md": "# A\n[s](../src/x.cpp) [d](../src/) [e](img/)\n",
      "src/x.cpp": "", "docs/img/q.png": ""},
     ["../src/x.cpp: the guide links only", "../src/: the guide links only",
      "img/: the guide links only"]),
    ("headings GitHub and mkdocs would anchor differently, or twice",
     {"README.md": "# T\n## f₀ and A₀\n## Long: `--layout=full`\n## Same\n## Same\n"},
     ["'f₀ and A₀' has no anchor", "'Long: `--layout=full`' has no anchor",
      "repeats the anchor #same"]),
    ("code, fences and schemes are not followed",
     {"README.md": "# T\n`[a](no.md)` [w](https://x.org/no.md)\n```\n[b](no.md)\n# no\n```\n"
                   "    [c](no.md)\n"}, []),
]


class CheckLinks(unittest.TestCase):
    def test_cases(self):
        for name, files, expected in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                for path, text in files.items():
                    (pathlib.Path(root) / path).parent.mkdir(parents=True, exist_ok=True)
                    (pathlib.Path(root) / path).write_text(text, encoding="utf-8")
                run = subprocess.run([sys.executable, str(CHECKER), root],
                                     capture_output=True, text=True)
                faults = run.stdout.splitlines()
                self.assertEqual(run.returncode, 1 if expected else 0, run.stdout)
                self.assertEqual(len(faults), len(expected), run.stdout)
                for part in expected:
                    self.assertTrue(any(part in fault for fault in faults), (part, faults))


if __name__ == "__main__":
    unittest.main()
