#!/usr/bin/env python3
"""Compares the Markdown facts of the facts probe with those of another build.

Generates random Markdown documents that mix headings of both kinds (in block quotes and list
items), links of every kind, reference definitions, images, code spans and blocks, HTML,
emphasis, escapes, entities, autolinks, tabs, CR LF line ends and non-ASCII text. Each document
goes through the probe (one run per document) and, all at once, through the other command's
`__engine-facts`; the facts must be identical.

    facts_agreement.py PROBE OTHER [--count N] [--seed S] [--lone-cr] [--atx-tabs] [--show K]
                       [--save FILE]

By default no line ends with a lone CR and no ATX heading has a tab at its end or next to its
closing sequence: builds that follow CommonMark there are known to differ from builds that do
not. The two switches put them back.

A tool for developers, not a test.
"""
import argparse
import json
import random
import re
import subprocess
import sys

WORDS = ["alpha", "beta", "Gamma", "delta", "x", "y2", "naïve", "日本", "émoji😀", "ß", "a_b",
         "foo", "bar", "1.", "2)", "+", "-", "#", "=", "\u00a0", "--", "==", "a*b", "c_d"]
SCHEMES = ["http", "https", "mailto", "doc", "ftp", "irc", "MAILTO", "a+b"]
LABELS = ["r", "R", "ref one", "Ref  One", "x", "ẞ", "[n]", "long label", "1"]


class Gen:
    def __init__(self, rnd, atx_tabs):
        self.r = rnd
        self.atx_tabs = atx_tabs
        self.labels = []

    def pick(self, seq):
        return self.r.choice(seq)

    def chance(self, p):
        return self.r.random() < p

    def destination(self):
        r = self.r.random()
        base = self.pick(["a.md", "b/c.md", "../d.md", "x y.md", "e.md#frag", "http://h.example/p?q=1",
                          "f%20g.md", "", "ü.md", "a(b).md", "a&amp;b.md", "a\\)b", "&#65;.md",
                          "a\\*b", "t.md?x=&lt;", "/abs.md"])
        if " " in base or r < 0.15:
            return "<" + base.replace(">", "") + ">"
        return base

    def title(self):
        return self.pick(['', ' "t"', " 't i'", ' (p)', ' "a\\"b"', ' "multi\nline"'])

    def autolink(self):
        if self.chance(0.4):
            local = self.pick(["a", "a.b", "x+y", "q_z", "A-1"])
            return "<%s@%s>" % (local, self.pick(["b.cd", "ex.com", "h-1.org", "b"]))
        body = self.pick(["h.example", "//x/y", "a&amp;b", "a%20b", "p?q=1&r=2", "é", "a&#65;b",
                          "x\\y", "a&copy;", "(x)", "a*b*"])
        return "<%s:%s>" % (self.pick(SCHEMES), body)

    def inline_atom(self, depth=0):
        r = self.r.random()
        if r < 0.30:
            return self.pick(WORDS)
        if r < 0.38:
            return "[%s](%s%s)" % (self.inline(depth + 1, 2), self.destination(), self.title())
        if r < 0.44:
            lab = self.pick(LABELS)
            self.labels.append(lab)
            kind = self.r.randrange(3)
            if kind == 0:
                return "[%s][%s]" % (self.inline(depth + 1, 2), lab)
            if kind == 1:
                return "[%s][]" % lab
            return "[%s]" % lab
        if r < 0.50:
            return self.autolink()
        if r < 0.55:
            return "![%s](%s)" % (self.inline(depth + 1, 2), self.destination())
        if r < 0.62:
            d = self.pick(["*", "_", "**", "__", "***"])
            return d + self.inline(depth + 1, 2) + d
        if r < 0.68:
            ticks = self.pick(["`", "``"])
            return ticks + self.pick(["code", "[a](b)", "<http://x.y>", " ` ", "a\\"]) + ticks
        if r < 0.73:
            return self.pick(["\\*", "\\#", "\\[", "\\\\", "\\_", "\\<", "\\a", "\\`"])
        if r < 0.78:
            return self.pick(["&amp;", "&#35;", "&copy;", "&#x41;", "&nosuch;", "&lt;", "&"])
        if r < 0.83:
            return self.pick(['<span>', '</span>', '<a href="x.md">', '</a>', '<!-- c -->',
                              '<br/>', '<?p?>'])
        if r < 0.86:
            return self.pick(["http://bare.example", "www.w.example", "a@b.cd"])
        if r < 0.90:
            return self.pick(["*", "_", "[", "]", "(", ")", "<", ">", "!", "`"])
        if r < 0.93:
            return self.pick(["{#id}", "#", "##", "\t", "  "])
        return self.pick(WORDS) + self.pick(["", "  ", "\\"]) + "\n" + self.pick(WORDS)

    def inline(self, depth=0, most=5):
        if depth > 2:
            return self.pick(WORDS)
        n = self.r.randint(1, most)
        parts = [self.inline_atom(depth) for _ in range(n)]
        return "".join(p if i == 0 else self.pick([" ", " ", "", "\t"]) + p
                       for i, p in enumerate(parts))

    def plain(self, line):
        """A line that opens like an ATX heading loses its tabs unless they are asked for."""
        if not self.atx_tabs and re.match(r" {0,3}#{1,6}([ \t]|$)", line):
            return line.replace("\t", " ")
        return line

    def line_inline(self):
        return self.inline().replace("\n", " ")

    def atx(self):
        hashes = "#" * self.pick([1, 2, 3, 4, 5, 6, 6, 7])
        content = "" if self.chance(0.08) else self.line_inline()
        sep = self.pick([" ", "  ", "\t", " \t"]) if content or self.chance(0.5) else ""
        close = self.pick(["", "", "", " #", " ###", "#", " # ", "\t#", " \\#"])
        tail = self.pick(["", "", " ", "\t"])
        if not self.atx_tabs:
            content = re.sub(r"\t(#*)$", r" \1", content.rstrip(" \t"))
            close, tail = close.replace("\t", " "), tail.replace("\t", " ")
        return [" " * self.r.randint(0, 3) + hashes + sep + content + close + tail]

    def setext(self):
        lines = [self.line_inline() for _ in range(self.r.randint(1, 3))]
        lines = [(" " * self.r.randint(0, 3) if i == 0 else self.pick(["", " ", "  ", "\t"])) + l
                 + self.pick(["", "", " ", "  "]) for i, l in enumerate(lines)]
        under = self.pick(["=", "-"]) * self.r.randint(1, 5)
        return [self.plain(l) for l in lines] + [" " * self.r.randint(0, 3) + under + self.pick(["", " "])]

    def paragraph(self):
        return [self.plain(l) for l in self.inline(0, 8).split("\n")]

    def definition(self):
        lab = self.pick(LABELS) if self.chance(0.7) or not self.labels else self.pick(self.labels)
        dest = self.destination()
        if dest == "":
            dest = "<>"
        sep = self.pick([" ", "", "\n", "\t"])
        ttl = self.pick(["", ' "T"', "\n'T'", ' (t)', ' "x" junk', '\n"open'])
        return ("[%s]:%s%s%s" % (lab, sep, dest, ttl)).split("\n")

    def code(self):
        if self.chance(0.5):
            fence = self.pick(["```", "~~~", "````"])
            body = [self.pick(["# not heading", "[a](b.md)", "<http://c.d>", "text"])
                    for _ in range(self.r.randint(0, 2))]
            return [fence + self.pick(["", "md"])] + body + ([fence] if self.chance(0.85) else [])
        return ["    " + self.pick(["# code", "[a](b.md)", "x"]) for _ in range(self.r.randint(1, 2))]

    def html(self):
        return self.pick([["<div>", "# in html", "[a](b.md)", "</div>"],
                          ['<a href="h.md">x</a>'], ["<!--", "# c", "-->"],
                          ["<div>", "", "# after blank"]])

    def block(self, depth=0):
        r = self.r.random()
        if depth < 3 and r < 0.12:
            return self.quote(depth)
        if depth < 3 and r < 0.24:
            return self.item(depth)
        if r < 0.42:
            return self.atx()
        if r < 0.56:
            return self.setext()
        if r < 0.74:
            return self.paragraph()
        if r < 0.82:
            return self.definition()
        if r < 0.88:
            return self.code()
        if r < 0.92:
            return self.html()
        if r < 0.96:
            return [self.pick(["---", "***", "- - -", "___"])]
        return [""]

    def blocks(self, depth, most):
        out = []
        for _ in range(self.r.randint(1, most)):
            out += self.block(depth)
            if self.chance(0.6):
                out.append("")
        return out

    def quote(self, depth):
        inner = self.blocks(depth + 1, 3)
        out = []
        for i, l in enumerate(inner):
            lazy = i > 0 and l and self.chance(0.1)
            prefix = "" if lazy else self.pick([">", "> ", "> ", " > ", ">\t", "  >  "])
            out.append(prefix + l if l or self.chance(0.5) else prefix.rstrip())
        return out

    def item(self, depth):
        marker = self.pick(["-", "*", "+", "1.", "2)", "10."])
        gap = self.pick([" ", " ", "  ", "\t", "    ", "     "])
        inner = self.blocks(depth + 1, 3)
        width = len(marker) + (1 if len(gap) >= 5 else (len(gap) if gap != "\t" else 4 - len(marker) % 4))
        out = []
        for i, l in enumerate(inner):
            if i == 0:
                out.append(" " * self.r.randint(0, 2) + marker + gap + l)
            elif not l:
                out.append("")
            else:
                indent = " " * width if self.chance(0.85) else self.pick(["", " ", "\t", " " * (width + 1)])
                out.append(indent + l)
        return out

    def document(self, lone_cr):
        self.labels = []
        lines = self.blocks(0, 8)
        for _ in range(self.r.randint(0, 3)):
            lines.insert(self.r.randint(0, len(lines)), "")
            lines[self.r.randint(0, len(lines) - 1):0] = self.definition()
        if self.chance(0.1):
            lines = ["---", "title: x", "---"] + lines
        ends = ["\n", "\n", "\n", "\r\n"] + (["\r"] if lone_cr else [])
        mixed = self.chance(0.2)
        end = self.pick(ends)
        text = ""
        for l in lines:
            text += l + (self.pick(ends) if mixed else end)
        if self.chance(0.3):
            text = text.rstrip("\r\n")
        return text


def dump(value):
    return json.dumps(value, ensure_ascii=False, separators=(",", ":"))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("probe")
    ap.add_argument("other")
    ap.add_argument("--count", type=int, default=2000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--lone-cr", action="store_true", help="also end lines with a lone CR")
    ap.add_argument("--atx-tabs", action="store_true", help="also end ATX headings with tabs")
    ap.add_argument("--show", type=int, default=10, help="differences to print")
    ap.add_argument("--save", help="write every difference to this file as JSON lines")
    args = ap.parse_args()

    gen = Gen(random.Random(args.seed), args.atx_tabs)
    docs = [gen.document(args.lone_cr) for _ in range(args.count)]
    run = subprocess.run([args.other, "__engine-facts"], input=json.dumps({"documents": docs}).encode(),
                         capture_output=True, check=True)
    expected = [dump(v) for v in json.loads(run.stdout)]
    differences = []
    for doc, want in zip(docs, expected):
        got = subprocess.run([args.probe], input=doc.encode(), capture_output=True, check=True).stdout
        got = dump(json.loads(got))
        if got != want:
            differences.append({"document": doc, "probe": got, "other": want})
    same = len(docs) - len(differences)
    print("%d of %d documents identical (%.2f%%)" % (same, len(docs), 100.0 * same / len(docs)))
    for d in differences[: args.show]:
        print("---\ndocument: %s\nprobe:    %s\nother:    %s" % (json.dumps(d["document"], ensure_ascii=False),
                                                               d["probe"], d["other"]))
    if args.save:
        with open(args.save, "w") as f:
            for d in differences:
                f.write(json.dumps(d, ensure_ascii=False) + "\n")
    return 0 if not differences else 1


if __name__ == "__main__":
    sys.exit(main())
