#!/usr/bin/env python3
"""The CommonMark 0.31.2 examples through a build's Markdown facts.

Each example pairs a Markdown text with the HTML that CommonMark renders for it. The links
and the heading levels are read from the HTML (an <a> or <h1>..<h6> start tag that is not
written word for word in the Markdown; hrefs HTML-unescaped and percent-decoded, "mailto:"
taken off an e-mail autolink) and compared with the build's facts (links percent-decoded too).
Two examples hold a link inside an image description, which the HTML flattens into alt text;
their links are given by hand.

    facts_examples.py BUILD EXAMPLES_FILE

BUILD is a command as facts_shapes.py takes it. Prints each example that differs and, last,
"N of M examples agree". Also imported by facts_shapes.py for the examples themselves.

A tool for developers, not a test.
"""
import collections
import html
import os
import re
import sys
import urllib.parse

Example = collections.namedtuple("Example", "number markdown html")

FENCE = "`" * 32
TAB_STAND_IN = "\u2192"
IMAGE_DESCRIPTION_LINKS = {520: ["uri1"], 575: ["/url"]}


def read_examples(path):
    with open(path, encoding="utf-8") as f:
        text = f.read().replace("\r\n", "\n").split("<!-- END TESTS -->")[0]
    examples, lines, i = [], text.split("\n"), 0
    while i < len(lines):
        if lines[i] == FENCE + " example":
            markdown, rendered = [], []
            i += 1
            while lines[i] != ".":
                markdown.append(lines[i] + "\n")
                i += 1
            i += 1
            while lines[i] != FENCE:
                rendered.append(lines[i] + "\n")
                i += 1
            examples.append(Example(len(examples) + 1,
                                    "".join(markdown).replace(TAB_STAND_IN, "\t"),
                                    "".join(rendered).replace(TAB_STAND_IN, "\t")))
        i += 1
    return examples


def expected_facts(example):
    links, levels = [], []
    for m in re.finditer(r'<a href="([^"]*)"[^>]*>|<h([1-6])>', example.html):
        if m.group(0) in example.markdown:
            continue  # raw HTML
        if m.group(1) is None:
            levels.append(int(m.group(2)))
            continue
        href = html.unescape(m.group(1))
        if href.startswith("mailto:") and "<mailto:" not in example.markdown.lower():
            href = href[len("mailto:"):]
        links.append(urllib.parse.unquote(href))
    return IMAGE_DESCRIPTION_LINKS.get(example.number, links), levels


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from facts_shapes import Build
    import json
    build = Build(sys.argv[1], 4)
    examples = read_examples(sys.argv[2])
    results = build.facts([e.markdown for e in examples])
    agree = 0
    for example, result in zip(examples, results):
        facts = json.loads(result)
        got = ([urllib.parse.unquote(link) for link in facts["links"]],
               [h[0] for h in facts["headings"]])
        if got == expected_facts(example):
            agree += 1
            continue
        print("example %d: %s\n  HTML:  %s\n  build: %s" % (
            example.number, json.dumps(example.markdown, ensure_ascii=False),
            expected_facts(example), got))
    print("%d of %d examples agree" % (agree, len(examples)))
    return 0 if agree == len(examples) else 1


if __name__ == "__main__":
    sys.exit(main())
