#!/usr/bin/env python3
"""Markdown facts of one build against others, on documents of awkward shapes.

facts_agreement.py writes tidy documents; this tool writes the ones a careless or hostile
writer makes, one shape at a time: token soup of Markdown's special characters (soup), edited
copies of the CommonMark examples (examples, witnessed), long lines (long), deep nesting of
block quotes and list items (nesting), unusual Unicode (unicode), character references of
every form (entities), link reference definitions in containers and labels that need case
folding (definitions), HTML blocks of each kind (html), fenced code (fences), lists of every
marker and padding (lists), tabs among container markers (tabs), what starts and ends a
heading's text (headings), brackets tangled with code spans, tags and autolinks (inline) and
blank lines among containers (blanks). Every document goes through each build; documents
whose facts differ between the first build and another are written out and, with --shrink,
cut down to a small text that still differs in the same way (delta debugging), and those
texts are counted. facts_differences.py sorts them by cause.

    facts_shapes.py BASE OTHER... [--shapes soup,lists,...] [--count N] [--seed S]
                    [--examples FILE] [--documents FILE] [--jobs J] [--shrink K] [--save FILE]
                    [--show K]

A build is a command. One whose first word ends in "facts_probe" reads one text on standard
input and prints {"links":[...],"headings":[...]}; it is run once for each document (so
"build/tests/facts_probe --old" works). Any other command is given "__engine-facts" and all
the documents at once.

--examples names the CommonMark 0.31.2 examples file (the one the test build fetches); the
"examples" shape edits its examples, "witnessed" also puts lines among them that show in the
facts (a link, a heading), so that a different reading of the blocks around them shows too.
Both are left out without it.

A tool for developers, not a test.
"""
import argparse
import concurrent.futures
import html.entities
import json
import os
import random
import shlex
import subprocess
import sys
import unicodedata

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from facts_examples import read_examples  # noqa: E402

# --- pieces the shapes are built from ---

SPECIALS = ["[", "]", "(", ")", "<", ">", "!", "`", "``", "```", "\\", "*", "_", "#", "##",
            "-", "---", "=", "===", ":", "\"", "'", " ", " ", "   ", "\t", "\n", "\n", "\n\n",
            "&", ";", "~~~", "+", "1.", "2)", "a", "b", "x y", "http:", "@", "/", "<!--", "-->",
            "<?", "?>", "<![CDATA[", "]]>", "<div>", "</div>", "<a>", "<b c='d'>", "<!X",
            "&amp;", "&#42;", "\\[", "\\]", "[a]:", "[a]", "](", "![", "> ", "- ", "    ",
            "\r\n", "|", "{", "}", "<x:y>", "<a@b.c>", "é", "\u00a0"]

WORDS = ["a", "b", "foo", "Bar", "x y", "naïve", "日本", "ß", "ẞ", "é", "e\u0301", "\U0001F600",
         "1", "_", "*"]

# Characters that look like Markdown's or that Unicode treats specially.
UNICODE = ["\u0301", "\u0308", "\u20dd", "\U0001F600", "\U00010348", "\U0001D11E", "\uff3b",
           "\uff3d", "\uff08", "\uff09", "\uff1c", "\uff1e", "\u00a0", "\u1680", "\u2000",
           "\u2003", "\u2009", "\u200a", "\u202f", "\u205f", "\u3000", "\u200b", "\u2028",
           "\u2029", "\u0085", "\ufeff", "\ufffd", "\x00", "\x0b", "\x0c", "\x7f", "\u061c",
           "\u202e", "\u00ad", "İ", "ı", "i\u0307", "ﬃ", "ﬆ", "Ω", "Å", "K", "ſ", "ß", "ẞ", "ς",
           "σ", "Σ", "ϐ", "ϑ", "ᾳ", "ǅ", "ŉ", "\U00010400", "\U0001E900", "Ꭰ", "ꭰ", "\ue000",
           "\U0010fffd", "\u0000"]

# Labels that only match after case folding, and a few that must not.
FOLDED_LABELS = [("ß", "SS"), ("ẞ", "ss"), ("ſ", "S"), ("K", "k"), ("Ω", "ω"), ("Å", "å"),
                 ("ς", "Σ"), ("σ", "ς"), ("ΣΑΣ", "σας"), ("İ", "i\u0307"), ("ﬃ", "FFI"),
                 ("ǅ", "ǆ"), ("ᾳ", "ΑΙ"), ("\U00010400", "\U00010428"), ("Ꭰ", "ꭰ"),
                 ("ŉ", "ʼN"), ("a  b", "A\tB"), ("a\nb", "a b"), ("I", "ı"), ("ϐ", "β"),
                 ("ﬆ", "ST"), ("\u212a", "K"), ("e\u0301", "é"), ("é", "É"), ("\u00a0a", "a")]

ENTITY_NAMES = sorted(name for name in html.entities.html5 if name.endswith(";"))
LEGACY_NAMES = sorted(name for name in html.entities.html5 if not name.endswith(";"))

HTML_OPENINGS = [
    # kind 1, with its end
    ("<pre>", "</pre>"), ("<script type='x'>", "</script>"), ("<STYLE", "</style>"),
    ("<textarea>", "</TEXTAREA>"), ("<pre", "x</pre> y"), ("<scripts>", "</scripts>"),
    # kind 2
    ("<!--", "-->"), ("<!-- x", "--->"), ("<!---->", ""), ("<!-->", ""), ("<!--->", ""),
    # kind 3
    ("<?php", "?>"), ("<?", "x ?>"), ("<?>", ""),
    # kind 4
    ("<!DOCTYPE html", ">"), ("<!doctype", ">"), ("<!x", "y>"), ("<! x", ">"),
    # kind 5
    ("<![CDATA[", "]]>"), ("<![CDATA[x]]>", ""), ("<![cdata[", "]]>"),
    # kind 6
    ("<div>", ""), ("</div>", ""), ("<DIV class='a'", ""), ("<table><tr><td>", ""),
    ("<search>", ""), ("<source>", ""), ("<h1>", ""), ("<p/>", ""), ("<ul\t", ""),
    ("<details>", ""), ("<menuitem>", ""), ("<divx>", ""), ("<div-x>", ""),
    # kind 7
    ("<span>", ""), ("</span>", ""), ("<a href='x'>", ""), ("<x-y z>", ""), ("<a/>", ""),
    ("<b c=d e='f' g=\"h\">", ""), ("</pre>", ""), ("<em x=`y`>", ""), ("<a b", ""),
    ("<custom-element data-x='1' />", ""), ("</a >", ""), ("<a>x", ""), ("<pre/>", ""),
    ("<script/>", ""), ("<Textarea a='b'/>", ""), ("</style>", ""),
]


class Shapes:
    """One generator a shape; each returns a document as a text."""

    def __init__(self, rnd, examples):
        self.r = rnd
        self.examples = examples

    def pick(self, seq):
        return self.r.choice(seq)

    def chance(self, p):
        return self.r.random() < p

    def word(self):
        return self.pick(WORDS)

    def destination(self):
        return self.pick(["a.md", "/u", "", "<>", "<a b>", "a(b)c", "a\\)b", "&amp;", "\\<x",
                          "%20", "é", "<a\\>b>", "a&#x20;b", "(a)", "<(>", "a\\\\b"])

    def inline_link(self):
        return "[%s](%s%s)" % (self.word(), self.destination(),
                               self.pick(["", " \"t\"", " 't'", " (t)", "\n\"t\""]))

    def lines(self, parts):
        return "\n".join(parts) + self.pick(["", "\n"])

    # -- token soup: Markdown's special characters in any order --
    def soup(self):
        n = self.r.randint(1, 60)
        return "".join(self.pick(SPECIALS) for _ in range(n))

    # -- the CommonMark examples, edited --
    def edit(self, text):
        r = self.r.random()
        if not text:
            return self.pick(SPECIALS)
        i = self.r.randrange(len(text) + 1)
        if r < 0.2:
            return text[:i] + self.pick(SPECIALS) + text[i:]
        if r < 0.35:
            return text[:i] + text[i + 1:]
        if r < 0.45:
            j = min(len(text), i + self.r.randint(1, 8))
            return text[:j] + text[i:j] + text[j:]
        if r < 0.55:
            prefix = self.pick(["> ", "- ", "1. ", ">", " > ", "-\t", "10) ", "* > ", "> - ",
                                "  ", "    ", "\t"])
            rest = self.pick(["", prefix, "  ", "   ", ">", "> "])
            lines = text.split("\n")
            return "\n".join([prefix + lines[0]] + [(rest + l if l else l) for l in lines[1:]])
        if r < 0.65:
            lines = text.split("\n")
            k = self.r.randrange(len(lines))
            lines[k] = self.pick(["", " ", "  ", "   ", "    ", "\t", " \t"]) + lines[k].lstrip(" ")
            return "\n".join(lines)
        if r < 0.75:
            end = self.pick(["\r\n", "\r", "\n\n"])
            if self.chance(0.5):
                return text.replace("\n", end)
            j = text.find("\n", i)
            return text if j < 0 else text[:j] + end + text[j + 1:]
        if r < 0.85:
            j = text.find(" ", i)
            return text if j < 0 else text[:j] + "\t" + text[j + 1:]
        if r < 0.9:
            return text + self.pick(["", "\n", "\n\n"]) + self.pick(self.examples)
        if r < 0.95:
            return self.with_witness(text)
        return text[:i] + self.pick(UNICODE) + text[i:]

    def with_witness(self, text):
        """`text` with a line that shows in the facts (a link or a heading) put between two of
        its lines, behind the container markers of the line before it or of none."""
        lines = text.split("\n")
        k = self.r.randrange(len(lines) + 1)
        before = lines[k - 1] if k > 0 else ""
        markers = before[: len(before) - len(before.lstrip(" >-*+0123456789.)\t"))]
        witness = self.pick(["[w](w)", "# w", "w\n===", "<w@w.w>", "[w]\n\n[w]: /w"])
        return "\n".join(lines[:k] + [self.pick([markers, "", " " * len(markers)]) + witness]
                         + lines[k:])

    def examples_edited(self):
        text = self.pick(self.examples)
        for _ in range(self.r.randint(1, 4)):
            text = self.edit(text)
        return text

    def examples_witnessed(self):
        text = self.pick(self.examples)
        for _ in range(self.r.randint(0, 2)):
            text = self.edit(text)
        for _ in range(self.r.randint(1, 3)):
            text = self.with_witness(text)
        return text

    # -- long lines --
    def long(self):
        piece = self.pick(["a ", "[a](b) ", "[a] ", "`x` ", "<a@b.c> ", "\\[ ", "[", "](x) ",
                           "<span> ", "&amp; ", "*a_ ", "<!-- ", "![", "[a]: /u ", "> ", "- "])
        line = piece * self.r.randint(100, 3000)
        head = self.pick(["", "# ", "> ", "- ", "[a]: /u\n", "a\n"])
        tail = self.pick(["", "\n===", "\n---", "\n\n[a]: /u", " #"])
        return head + line + tail

    # -- deep nesting of containers --
    def nesting(self):
        depth = self.r.randint(1, 40)
        prefix = "".join(self.pick(["> ", "- ", "1. ", "* ", ">", "2) "]) for _ in range(depth))
        leaf = self.pick(["# h", "a", "[a]: /u", "```", "    code", "<div>", "---", "a\n===",
                          self.inline_link(), "[a]"])
        out = [prefix + leaf]
        for _ in range(self.r.randint(0, 6)):
            cut = self.r.randint(0, len(prefix))
            spaces = " " * self.r.randint(0, 2 * depth)
            out.append(self.pick([prefix[:cut], spaces, ""]) + self.pick(
                ["b", "# h", "===", "---", "[a]", "", "```", "[a]: /v", "- c", "> d",
                 self.inline_link()]))
        if self.chance(0.5):
            out.append("[a]: /x")
        return self.lines(out)

    # -- Unicode in labels, destinations and headings --
    def unicode(self):
        def text():
            return "".join(self.pick(UNICODE + WORDS) for _ in range(self.r.randint(1, 4)))
        label = text()
        parts = [
            self.pick(["# ", "## ", ""]) + text() + " [%s](%s)" % (text(), text().replace(" ", "")),
            "[%s]: %s" % (label, self.pick(["/u", "<%s>" % text(), text().replace(" ", "")])),
            "[%s]" % self.pick([label, text()]),
            self.pick(["\uff3ba\uff3d\uff08b\uff09", "[a\u00a0]: /nb\n\n[a]", text() + "\n===",
                       "<%s:%s>" % ("a" + text(), text()), text()]),
        ]
        self.r.shuffle(parts)
        return self.lines(parts[: self.r.randint(1, len(parts))])

    # -- character references of every form --
    def reference(self):
        r = self.r.random()
        if r < 0.4:
            return "&" + self.pick(ENTITY_NAMES)
        if r < 0.5:
            return "&" + self.pick(LEGACY_NAMES)
        if r < 0.65:
            return "&#%s;" % self.pick(["0", "65", "1114111", "1114112", "55296", "9999999",
                                        "00000065", "0000065", "", "-1", "12345678", "128512"])
        if r < 0.8:
            return "&#%s%s;" % (self.pick(["x", "X"]), self.pick(
                ["41", "0", "D800", "DFFF", "10FFFF", "110000", "FFFFFF", "0000041", "", "g",
                 "1F600", "ffff"]))
        return self.pick(["&;", "&#;", "&amp", "&AMP;", "&nosuch;", "&a b;", "&#x;", "&&amp;",
                          "&amp;amp;", "&#x41", "&" + "a" * 40 + ";", "&Amp;", "&1;"])

    def entities(self):
        refs = "".join(self.reference() for _ in range(self.r.randint(1, 3)))
        form = self.r.randrange(7)
        if form == 0:
            return "[a](%s)" % refs.replace(" ", "")
        if form == 1:
            return "[a](<%s>)" % refs
        if form == 2:
            return "[a]: %s\n\n[a]" % refs.replace(" ", "")
        if form == 3:
            return "<http://x/%s>" % refs.replace(" ", "")
        if form == 4:
            return "[%s]: /u\n\n[%s]" % (refs, self.pick([refs, self.reference()]))
        if form == 5:
            return "# %s [b](c)" % refs
        return "[a](x%s \"%s\")" % (refs.replace(" ", ""), refs)

    # -- link reference definitions --
    def definitions(self):
        a, b = self.pick(FOLDED_LABELS)
        if self.chance(0.5):
            a, b = b, a
        title = self.pick(["", " \"t\"", "\n\"t\"", " 'a\nb'", " (a\nb)", " \"a\n\nb\"",
                           " \"unclosed", "\n'x' y", " \"a\\\"\"", " ()", "\n  \"t\"\n",
                           " \"" + "t" * self.r.randint(0, 3000) + "\""])
        dest = self.pick(["/u", "<>", "<a b>", "a" * self.r.randint(1, 3000), "\n/u", "/u\t",
                          "<x\ny>", "", "()", "(a(b)c)", "\\", "a\\", "<a>b"])
        label = self.pick([a, "x" * self.r.randint(990, 1005), "é" * self.r.randint(495, 505),
                           " " + a + " ", "a\\]b", "\\[a", "a]", "", " ", "\n" + a, a + "\n"])
        definition = "[%s]:%s%s%s" % (label, self.pick([" ", "", "\n", "\t", " \n "]), dest, title)
        container = self.pick(["", "> ", "- ", "1. ", "  ", "   ", "    ", "> - ", ">\t", "-\t"])
        lines = definition.split("\n")
        before = self.pick(["", "p\n", "p\n\n", "# h\n", "- x\n", "```\n```\n", "---\n", "> q\n"])
        body = before + "\n".join([container + lines[0]] + [
            self.pick([container, " " * len(container), ""]) + l for l in lines[1:]])
        after = self.pick(["", "\n", "\n\n", "\n===", "\n---", "\nrest", "\n[z]: /z",
                           "\n" + container + "===", "\n" + container + "---"])
        use = self.pick(["[%s]" % b, "[%s][]" % b, "[x][%s]" % b, "[%s]" % label,
                         "![%s]" % b, "[%s]: /second" % b, "[%s][ ]" % b, "[%s] []" % b,
                         "[[%s]](u)" % b, "[%s][%s]" % (b, b), "[%s][x]" % b])
        where = self.r.randrange(3)
        if where == 0:
            return use + "\n\n" + body + after
        if where == 1:
            return body + after + "\n\n" + use
        return body + after + "\n" + use

    # -- HTML blocks of the seven kinds --
    def html_blocks(self):
        start, end = self.pick(HTML_OPENINGS)
        inside = self.pick(["# in", "[a](b)", "", "x", "- y", "> z", "<!-- -->", "`"])
        parts = [self.pick(["", "   ", "    ", "> ", "- ", "p\n"]) + start]
        for _ in range(self.r.randint(0, 3)):
            parts.append(self.pick([inside, "", "# h", "[c](d)", end, "x " + end]))
        if end and self.chance(0.6):
            parts.append(self.pick([end, "a " + end + " b", end + " # x", end.upper()]))
        parts.append(self.pick(["# after", "[e](f)", "", "x\n# after", "\n# after"]))
        if self.chance(0.3):
            parts.insert(0, self.pick(["a", "# h", "- i", "> q"]))
        return self.lines(parts)

    # -- fenced code --
    def fences(self):
        fence = self.pick(["```", "~~~", "````", "~~~~", "``", "`````"])
        info = self.pick(["", "md", " md ", "a`b", "a~b", "{.x}", "\\`", "&amp;"])
        container = self.pick(["", "> ", "- ", "1. ", "  ", "   ", "    ", "> > ", "-   "])
        parts = [container + self.pick(["", " ", "   "]) + fence + info]
        for _ in range(self.r.randint(0, 3)):
            parts.append(self.pick([container, "", " ", "  "]) + self.pick(
                ["# in", "[a](b)", "", "x", fence, fence + "x", fence + fence[0], "  " + fence,
                 "    " + fence, fence[:-1], fence + " ", "\t" + fence]))
        if self.chance(0.5):
            parts.append(self.pick([container, ""]) + self.pick([fence, fence + fence[0], "# h"]))
        parts.append(self.pick(["# after", "[e](f)", "", "x", "===", "---"]))
        return self.lines(parts)

    # -- lists of every marker and padding --
    def lists(self):
        out = []
        for _ in range(self.r.randint(1, 5)):
            marker = self.pick(["-", "+", "*", "1.", "1)", "0.", "2.", "123456789.",
                                "1234567890.", "01.", "-1."])
            pad = self.pick([" ", "  ", "   ", "    ", "     ", "\t", " \t", "\t\t", ""])
            indent = " " * self.r.choice([0, 0, 1, 2, 3, 4])
            first = self.pick(["a", "", "# h", "[a](b)", "    code", "```", "---", "- b",
                               "> q", "[a]: /u", "a\n===", "<div>"])
            out.append(indent + marker + pad + first.split("\n")[0])
            out += first.split("\n")[1:]
            width = len(indent) + len(marker) + (len(pad) if 0 < len(pad) <= 4 else 1)
            for _ in range(self.r.randint(0, 3)):
                shift = self.pick([width, width, width - 1, width + 1, width + 4, 0])
                out.append(self.pick(["", " " * max(shift, 0), "\t"]) + self.pick(
                    ["b", "", "# h", "---", "===", "[c](d)", "```", "[a]", "- c", "2. x"]))
            if self.chance(0.3):
                out.append("")
        if self.chance(0.3):
            out.append("[a]: /x")
        return self.lines(out)

    # -- tabs and spaces between container markers and what they hold --
    def tabs(self):
        def gap():
            return "".join(self.pick([" ", "\t"]) for _ in range(self.r.randint(0, 3)))
        out = []
        for _ in range(self.r.randint(1, 5)):
            markers = "".join(gap() + self.pick([">", "-", "1.", "*", "2)"])
                              for _ in range(self.r.randint(0, 3)))
            leaf = self.pick(["# h", "a", "```", "~~~", "[a]: /u", "---", "===", "<div>",
                              "[a]", self.inline_link(), "- b", "> c", "#\th", "    x"])
            out.append(markers + gap() + leaf)
            if self.chance(0.3):
                out.append(gap())
        return self.lines(out)

    # -- heading texts: what starts and ends them --
    def headings(self):
        def piece():
            return self.pick(["a", "\\#", "\\", "\\*", "&amp;", "&#35;", "`c`", "``", "<b>",
                              "<a@b.c>", "<http://x>", "[l](u)", "[r]", "[r][]", "[t][r]",
                              "![i](u)",
                              "*e*", "_", "\\[", "[", "]", "#", "\\#", " ", "\t", "  ", "x\\",
                              "<!-- c -->", "&nosuch;", "\u00a0", "\u3000", "é", "\x00", "a  ",
                              "*", "\\\\", "[x]: /u"])
        content = "".join(piece() for _ in range(self.r.randint(0, 5)))
        r = self.r.randrange(3)
        container = self.pick(["", "> ", "- ", "1. ", " ", "   ", "> > ", ">"])
        if r == 0:
            line = "#" * self.r.randint(1, 6) + self.pick([" ", "\t", "  "]) + content + \
                self.pick(["", " #", " ##", "#", " \\#", " # ", "\t#", " #x"]) + \
                self.pick(["", " ", "\t"])
            body = [container + line]
        else:
            lines = [content] + ["".join(piece() for _ in range(self.r.randint(0, 4)))
                                 for _ in range(self.r.randint(0, 2))]
            if self.chance(0.3):
                lines.insert(0, "[r]: /d" + self.pick(["", " \"t\"", "\n\"t\""]))
            lines = "\n".join(lines).split("\n")
            body = [container + lines[0]] + [
                self.pick([container, "", " " * len(container)]) + l for l in lines[1:]]
            body.append(container + self.pick(["=", "===", "-", "---", "  ==  ", "= =", "--\t"]))
        if self.chance(0.5):
            body.append(self.pick(["[r]: /d", "\n[r]: /d", "[r]: <>"]))
        return self.lines(body) + self.pick(["", "\r\n", "\n"])

    # -- brackets, code spans, tags and autolinks tangled together --
    def inline(self):
        def atom(depth):
            r = self.r.random()
            if depth < 3 and r < 0.25:
                inner = "".join(atom(depth + 1) for _ in range(self.r.randint(0, 3)))
                opener = self.pick(["[", "![", "["])
                closer = self.pick(["]", "](%s)" % self.destination(), "][r]", "][]", "](",
                                    "]\n(u)", "] (u)", "][r", "](u \"t\")", "](<u>)",
                                    "](u\n'a\nb')", "]((u))", "](u)(v)", "][ ]", "][\n]",
                                    "][\\]]", "][r]]", "][[r]", "] []", "]\n[]"])
                return opener + inner + closer
            if r < 0.35:
                ticks = self.pick(["`", "``", "```"])
                return ticks + self.pick(["a", "]", "[", "](u)", "` `", "<a>", "\\"]) + \
                    self.pick([ticks, ticks + "`", ""])
            if r < 0.45:
                return self.pick(["<a href=']'>", "<b c=\"[\">", "<!-- ] -->", "<?[?>",
                                  "<![CDATA[]]]>", "<!X ]>", "<x:]>", "<a@b.c>", "<http://]>",
                                  "</a>", "<a\nb='c'>", "<!--", "<?", "<a"])
            if r < 0.55:
                return self.pick(["\\[", "\\]", "\\`", "\\<", "\\!", "\\\\", "\\("])
            if r < 0.65:
                return self.pick(["r", "R", "r r", "\n", " ", "\t", "x"])
            return self.pick(["a", "b", "*", "_", "(", ")", "!", "&amp;", "\n"])
        text = "".join(atom(0) for _ in range(self.r.randint(1, 8)))
        defs = self.pick(["", "\n\n[r]: /r", "\n\n[r r]: /rr\n[a]: /a", "\n\n[x]: /x"])
        head = self.pick(["", "", "# ", "> ", "- "])
        return head + text + defs

    # -- blank and white-space lines among containers --
    def blanks(self):
        out = []
        for _ in range(self.r.randint(2, 8)):
            out.append(self.pick(["", " ", "\t", "   ", "    ", ">", "> ", ">\t", "-", "- ",
                                  "1.", "*   ", "a", "# h", "  b", "    c", "[a]: /u", "  [a]",
                                  "```", "<div>", "  ---", "===", "- [a]: /u", "> [a]: /u"]))
        return self.lines(out)


SHAPES = ["soup", "examples", "witnessed", "long", "nesting", "unicode", "entities", "definitions",
          "html", "fences", "lists", "tabs", "headings", "inline", "blanks"]


def make_document(shapes, name):
    return {"soup": shapes.soup, "examples": shapes.examples_edited,
            "witnessed": shapes.examples_witnessed, "long": shapes.long,
            "nesting": shapes.nesting, "unicode": shapes.unicode, "entities": shapes.entities,
            "definitions": shapes.definitions, "html": shapes.html_blocks,
            "fences": shapes.fences, "lists": shapes.lists, "tabs": shapes.tabs,
            "headings": shapes.headings, "inline": shapes.inline, "blanks": shapes.blanks}[name]()


# --- running the builds ---

def dump(value):
    return json.dumps(value, ensure_ascii=False, separators=(",", ":"))


def printable(text):
    """`text` as it can be printed: bytes that were no UTF-8 shown as escapes."""
    return text.encode("utf-8", "surrogateescape").decode("utf-8", "backslashreplace")


def expression(text):
    """`text` as a Python expression, runs of more than 8 of one character written as a
    repetition: "[" + "x" * 1000 + "]"."""
    parts, plain, i = [], "", 0
    while i < len(text):
        j = i
        while j < len(text) and text[j] == text[i]:
            j += 1
        if j - i > 8:
            if plain:
                parts.append(quoted(plain))
            parts.append("%s * %d" % (quoted(text[i]), j - i))
            plain = ""
        else:
            plain += text[i:j]
        i = j
    if plain or not parts:
        parts.append(quoted(plain))
    return " + ".join(parts)


def quoted(text):
    """`text` in Python's string notation, with every character that does not show (controls,
    format characters, white space other than the space) escaped."""
    out = []
    for c in text:
        if c in "\\\"":
            out.append("\\" + c)
        elif c == " " or not unicodedata.category(c).startswith(("C", "Z")):
            out.append(c)
        else:
            out.append(repr(c)[1:-1] if c.isascii() else "\\u%04x" % ord(c) if ord(c) < 0x10000
                       else "\\U%08x" % ord(c))
    return '"' + "".join(out) + '"'


class Build:
    def __init__(self, command, jobs):
        self.words = shlex.split(command)
        self.name = command
        self.each = os.path.basename(self.words[0]).endswith("facts_probe")
        self.jobs = jobs

    def one(self, text):
        out = subprocess.run(self.words, input=text.encode("utf-8", "surrogatepass"),
                             capture_output=True, timeout=120)
        if out.returncode != 0:
            return "status %d" % out.returncode
        # A build may write bytes that are no UTF-8; they are kept as lone surrogates.
        return dump(json.loads(out.stdout.decode("utf-8", "surrogateescape")))

    def facts(self, texts):
        """The facts of each text, as compact JSON texts."""
        if not texts:
            return []
        if self.each:
            with concurrent.futures.ThreadPoolExecutor(self.jobs) as pool:
                return list(pool.map(self.one, texts))
        out = subprocess.run(self.words + ["__engine-facts"],
                             input=json.dumps({"documents": texts}).encode(), capture_output=True,
                             timeout=600)
        if out.returncode != 0:
            if len(texts) == 1:
                return ["status %d" % out.returncode]
            half = len(texts) // 2
            return self.facts(texts[:half]) + self.facts(texts[half:])
        return [dump(v) for v in json.loads(out.stdout)]


def difference_kind(first, second):
    """What differs between two results: the links, the heading levels or only heading texts."""
    if first.startswith("status") or second.startswith("status"):
        return "status"
    a, b = json.loads(first), json.loads(second)
    kinds = []
    if a["links"] != b["links"]:
        kinds.append("links")
    if [h[0] for h in a["headings"]] != [h[0] for h in b["headings"]]:
        kinds.append("headings")
    elif a["headings"] != b["headings"]:
        kinds.append("heading-text")
    return "+".join(kinds)


# --- shrinking ---

def shrink(text, base, other, kind):
    """A shorter text on which `base` and `other` still differ in the way `kind` says. Lines are
    taken out, then runs of one repeated character (delta debugging each time), each run is cut
    to the shortest length that keeps the difference, and last each run that may become "a"s
    does."""
    def differing(candidate):
        a, b = base.facts([candidate])[0], other.facts([candidate])[0]
        return a != b and difference_kind(a, b) == kind

    def first_differing(candidates):
        # A few at a time where a build runs once for each text, so that the first that still
        # differs ends the search early; all at once where both take them together.
        step = 4 * max(base.jobs, 1) if base.each or other.each else len(candidates)
        for i in range(0, len(candidates), step):
            batch = candidates[i:i + step]
            a, b = base.facts(batch), other.facts(batch)
            for candidate, x, y in zip(batch, a, b):
                if x != y and difference_kind(x, y) == kind:
                    return candidate
        return None

    def ddmin(text, split):
        pieces = split(text)
        n = 2
        while len(pieces) >= 2:
            size = max(1, len(pieces) // n)
            chunks = [(i, min(len(pieces), i + size)) for i in range(0, len(pieces), size)]
            found = first_differing(["".join(pieces[:i] + pieces[j:]) for i, j in chunks])
            if found is not None:
                text = found
                pieces = split(text)
                n = max(n - 1, 2)
            elif size == 1:
                break
            else:
                n = min(len(pieces), 2 * n)
        return text

    def runs(t):
        out = []
        for c in t:
            if out and out[-1][0] == c:
                out[-1] += c
            else:
                out.append(c)
        return out

    def shorten_runs(text):
        # Each run of one character is cut to the shortest length that still differs, found by
        # halving the range (a long label or line is seldom needed at its full length).
        pieces = runs(text)
        for k in range(len(pieces)):
            low, high = 1, len(pieces[k])
            while low < high:
                middle = (low + high) // 2
                trial = "".join(pieces[:k] + [pieces[k][0] * middle] + pieces[k + 1:])
                if differing(trial):
                    high = middle
                else:
                    low = middle + 1
            pieces[k] = pieces[k][0] * high
        return "".join(pieces)

    text = ddmin(text, lambda t: t.splitlines(keepends=True))
    text = ddmin(text, runs)
    text = shorten_runs(text)
    text = ddmin(text, runs)
    pieces = runs(text)
    for k, piece in enumerate(pieces):
        if piece[0] in "abcdefghijklmnopqrstuvwxyz\n":
            continue
        trial = pieces[:k] + ["a" * len(piece)] + pieces[k + 1:]
        if differing("".join(trial)):
            pieces = trial
    return "".join(pieces)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("base")
    ap.add_argument("others", nargs="+")
    ap.add_argument("--shapes", default=",".join(SHAPES))
    ap.add_argument("--count", type=int, default=2000, help="documents of each shape")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--examples", help="the CommonMark 0.31.2 examples file")
    ap.add_argument("--documents", help="take the documents from this file of JSON lines, each "
                    "with a \"document\" (as facts_agreement.py --save writes them), in place "
                    "of the shapes")
    ap.add_argument("--jobs", type=int, default=4)
    ap.add_argument("--shrink", type=int, default=0,
                    help="shrink up to this many differences of each build and shape")
    ap.add_argument("--save", help="write every difference to this file as JSON lines")
    ap.add_argument("--show", type=int, default=5, help="differences to print for each build")
    args = ap.parse_args()

    examples = [e.markdown for e in read_examples(args.examples)] if args.examples else []
    base = Build(args.base, args.jobs)
    others = [Build(o, args.jobs) for o in args.others]
    saved = open(args.save, "w") if args.save else None
    status = 0
    for shape in args.shapes.split(",") if not args.documents else [args.documents]:
        if shape in ("examples", "witnessed") and not examples:
            print("%s: left out, no --examples" % shape)
            continue
        if args.documents:
            with open(args.documents) as f:
                texts = [json.loads(line)["document"] for line in f if line.strip()]
        else:
            shapes = Shapes(random.Random("%s/%d" % (shape, args.seed)), examples)
            texts = [make_document(shapes, shape) for _ in range(args.count)]
        first = base.facts(texts)
        for other in others:
            second = other.facts(texts)
            differences = [(t, a, b) for t, a, b in zip(texts, first, second) if a != b]
            print("%s, %s: %d of %d documents differ" % (shape, other.name, len(differences),
                                                       len(texts)))
            status |= bool(differences)
            shrunk = {}
            for index, (text, a, b) in enumerate(differences):
                kind = difference_kind(a, b)
                record = {"shape": shape, "seed": args.seed, "other": other.name, "kind": kind,
                          "document": text, "base": a, "result": b}
                if index < args.shrink:
                    small = shrink(text, base, other, kind)
                    record["shrunk"] = small
                    record["shrunk_facts"] = [base.facts([small])[0], other.facts([small])[0]]
                    shrunk.setdefault((kind, small), 0)
                    shrunk[(kind, small)] += 1
                if saved:
                    saved.write(json.dumps(record) + "\n")
                if index < args.show:
                    print("  %s %s\n    base:  %s\n    other: %s" % (
                        kind, quoted(text)[:300], printable(a[:300]),
                        printable(b[:300])))
            for (kind, small), count in sorted(shrunk.items(), key=lambda x: -x[1]):
                facts = base.facts([small])[0], other.facts([small])[0]
                print("  shrunk (%d) %s %s\n    base:  %s\n    other: %s" % (
                    count, kind, expression(small), printable(facts[0]),
                    printable(facts[1])))
    return status


if __name__ == "__main__":
    sys.exit(main())
