#!/usr/bin/env python3
"""Check every relative link and anchor of README.md and docs/*.md.

Slug rule: a heading's anchor is its text lowercased, with every character
that is not an ASCII letter, digit, space, hyphen or underscore dropped and
each space turned into a hyphen. GitHub and mkdocs (Python-Markdown's toc)
both give that anchor for an ASCII heading without runs of punctuation or
spaces; a heading where the two would differ is itself reported, so that a
link that works on one site works on the other.

Rules checked:
- a link without a scheme must name a file or directory of the repository
  (resolved from the page's directory), and an anchor a heading of the page
  it names;
- a page under docs/ links only to files inside docs/: mkdocs 1.4's --strict
  fails on a link to a file outside docs/ and passes a link to a directory
  that the site then does not have, so the guide names the repository's
  files in code spans instead;
- links with a scheme (https:, mailto:) are not followed.
Usage: check-links.py [ROOT] (default: the repository holding this script).
Exit status 0 when everything resolves, 1 with one line a fault otherwise.
"""

import pathlib
import re
import sys
import unicodedata

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
ROOT = ROOT.resolve()
LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(([^()\s]*)(?:\s+\"[^\"]*\")?\)")
REFERENCE = re.compile(r"^ {0,3}\[[^\]]+\]:\s*<?([^\s>]+)>?")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")


def slug(text):
    """The anchor of a heading by the rule above."""
    text = re.sub(r"`", "", text).lower()
    return re.sub(r"[^a-z0-9 _-]", "", text).replace(" ", "-")


def github_slug(text):
    # GitHub keeps letters and digits of any script, drops other punctuation.
    text = text.replace("`", "").lower()
    kept = "".join(c for c in text if c in " -_" or unicodedata.category(c)[0] in "LN")
    return kept.replace(" ", "-")


def mkdocs_slug(text):
    # Python-Markdown's toc.slugify: NFKD to ASCII, drop punctuation, collapse.
    text = unicodedata.normalize("NFKD", text.replace("`", "")).encode("ascii", "ignore").decode()
    text = re.sub(r"[^\w\s-]", "", text).strip().lower()
    return re.sub(r"[-\s]+", "-", text)


def outside_fences(lines):
    fence = None
    for number, line in enumerate(lines, 1):
        stripped = line.lstrip()
        if fence is None and stripped.startswith(("```", "~~~")):
            fence = stripped[:3]
        elif fence is not None and stripped.startswith(fence):
            fence = None
        elif fence is None and not line.startswith("    "):
            yield number, line


def headings(path, faults):
    """The anchors of a page; faults get headings whose slugs disagree or repeat."""
    anchors = set()
    for number, line in outside_fences(path.read_text(encoding="utf-8").splitlines()):
        match = HEADING.match(line)
        if not match:
            continue
        text = match.group(2)
        anchor = slug(text)
        where = f"{path.relative_to(ROOT)}:{number}"
        if github_slug(text) != anchor or mkdocs_slug(text) != anchor:
            faults.append(f"{where}: heading '{text}' has no anchor that GitHub and mkdocs share")
        if anchor in anchors:
            faults.append(f"{where}: heading '{text}' repeats the anchor #{anchor}")
        anchors.add(anchor)
    return anchors


def strip_code_spans(line):
    return re.sub(r"`[^`]*`", "", line)


def check_page(path, anchors_of, faults):
    docs = (ROOT / "docs").resolve()
    for number, line in outside_fences(path.read_text(encoding="utf-8").splitlines()):
        definition = REFERENCE.match(line)
        targets = [definition.group(1)] if definition else []
        targets += [match.group(1) for match in LINK.finditer(strip_code_spans(line))]
        for target in targets:
            where = f"{path.relative_to(ROOT)}:{number}"
            if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", target):
                continue
            file_part, _, anchor = target.partition("#")
            resolved = (path.parent / file_part if file_part else path).resolve()
            if not resolved.exists():
                faults.append(f"{where}: {target}: no such file")
                continue
            if not resolved.is_relative_to(ROOT):
                faults.append(f"{where}: {target}: leaves the repository")
                continue
            if path.parent == docs and (not resolved.is_relative_to(docs) or resolved.is_dir()):
                faults.append(f"{where}: {target}: the guide links only to files inside docs/")
                continue
            if anchor:
                if resolved.suffix != ".md":
                    faults.append(f"{where}: {target}: an anchor in a file that is no page")
                    continue
                if resolved not in anchors_of:
                    anchors_of[resolved] = headings(resolved, [])
                if anchor not in anchors_of[resolved]:
                    faults.append(f"{where}: {target}: no heading with the anchor #{anchor}")


def main():
    pages = [ROOT / "README.md"] + sorted((ROOT / "docs").glob("*.md"))
    faults = []
    anchors_of = {page.resolve(): headings(page, faults) for page in pages}
    for page in pages:
        check_page(page, anchors_of, faults)
    for fault in faults:
        print(fault)
    print(f"check-links: {len(pages)} pages, {len(faults)} faults", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
