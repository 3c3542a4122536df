#!/usr/bin/env python3
"""Generates frontmatter YAML texts and compares two frontmatter probes on them.

Each probe reads one YAML text on standard input and prints the canonical JSON
of its frontmatter map (status 0) or an error message (status 1). Two outputs
agree when they are equal, or when both are YAML syntax errors (messages that
end in " at byte N line L column C"); the positions of agreeing syntax errors
are counted on the side. Differences that match a known fault of the other
side (see KNOWN_FAULTS) are counted by that fault; the rest are shown.

    frontmatter_agreement.py --ours build/tests/frontmatter_probe \\
        --other "OTHER-PROGRAM ARGS" [--count 2000] [--seed 1] [--show 5]

With --bundles N, the texts become the frontmatter of the concept files of N
generated bundles instead, which both programs load (--ours-load and
--other-load, each run as "PROGRAM __engine-load ROOT"); every file whose
record differs is then classified with the two probes as above.
"""

import argparse
import collections
import json
import os
import random
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

SYNTAX_ERROR = re.compile(r"^invalid YAML frontmatter: (.*) at byte (\d+) line (\d+) column (\d+)$")

WORDS = ["alpha", "beta", "note", "x", "y", "key", "type", "title", "Zed", "émile", "日本",
         "a b", "1.50", "yes", "no", "true", "2024-01-31", "0x1F", "-3", "+.inf", ".nan",
         "None", "nULL", "NULL", "Null", "null", "~", "😀", "a#b", "a:b", "x-y", "é",
         "b\tc", "e\u0301", "ß", "\u00a0x", "a\u0085b", "a\u2028b", "Ωμέγα", "مرحبا",
         "\U0001F468\u200d\U0001F469", "\ufeffx"]
KEYS = ["a", "b", "c", "type", "title", "A", "aa", "B", "é", "😀", "\ue000", "k1", "k2",
        "tags", "1", "true", "a b", "x.y"]
ODD_KEYS = ["<<", "null", "~", "'<<'", '"<<"', "[a]", "{k: v}", "''", "? x"]
ANCHORS = ["x", "y", "base", "a1", "n"]
TAGS = ["!!str", "!!null", "!!int", "!!map", "!!seq", "!!set", "!!omap", "!!bool", "!local",
        "!", "!<tag:yaml.org,2002:null>", "!<!x>", "!!nu%6Cl", "!!binary"]
DIRECTIVE_TAGS = ["!e!thing", "!e!null"]
BAD_TAGS = ["!!", "!e!", "!u!x"]
ESCAPES = ["\\n", "\\t", "\\\"", "\\\\", "\\x41", "\\u00e9", "\\U0001F600", "\\0", "\\N",
           "\\_", "\\L", "\\P", "\\/", "\\ ", "\\a", "\\e", "\\r", "\\u263A"]
BAD_ESCAPES = ["\\ud800", "\\ud83d\\ude00", "\\uDFFF", "\\U00110000", "\\q", "\\uZZZZ"]
MUTATIONS = [":", "[", "]", "{", "}", "\"", "'", "\t", "-", "&", "*", "!", "|", ">", "#", "%",
             "@", "`", ",", "?", " ", "\n", "\\", "\x00", "\x7f", "\u0085", "\ufeff"]


class Generator:
    """Random frontmatter texts: mostly valid YAML of every kind, some with
    receiver errors, and a share of them mutated into syntax errors."""

    def __init__(self, rng):
        self.rng = rng
        self.defined = []  # anchors of finished nodes, which aliases may name
        self.directive = False

    def chance(self, p):
        return self.rng.random() < p

    def pick(self, items):
        return self.rng.choice(items)

    def huge(self, word):
        """A value of thousands of characters, on one line or folded over many."""
        size = self.rng.choice([2000, 10000, 70000])
        if self.chance(0.5):
            return (word + " ") * (size // (len(word) + 1)) + word
        return ("\n    ".join([word * 8] * (size // (8 * len(word) + 5))))

    def plain(self):
        word = self.pick(WORDS)
        if self.chance(0.003):
            return self.huge("v" + word)
        if word[0] in "-~#" and self.chance(0.5):
            return "v" + word
        if self.chance(0.1):
            word += " " + self.pick(WORDS).lstrip("-~#")
        return word

    def double_quoted(self):
        parts = [self.pick(WORDS)]
        if self.chance(0.003):
            parts = [self.huge("q").replace("\n    ", "\\n")]
        for _ in range(self.rng.randint(0, 2)):
            roll = self.rng.random()
            parts.append(self.pick(ESCAPES) if roll < 0.5 else
                         self.pick(BAD_ESCAPES) if roll < 0.55 else self.pick(WORDS))
        return '"' + "".join(parts) + '"'

    def single_quoted(self):
        text = self.pick(WORDS) + ("''" if self.chance(0.3) else "") + self.pick(WORDS)
        return "'" + text + "'"

    def scalar(self):
        roll = self.rng.random()
        if roll < 0.5:
            return self.plain()
        if roll < 0.68:
            return self.double_quoted()
        if roll < 0.82:
            return self.single_quoted()
        if roll < 0.9:
            return ""
        return self.pick(["~", "null", "Null", "NULL", "'null'", '"~"', "''", '""'])

    def tag(self):
        roll = self.rng.random()
        if roll < 0.85:
            return self.pick(TAGS)
        if roll < 0.95 and self.directive:
            return self.pick(DIRECTIVE_TAGS)
        return self.pick(BAD_TAGS)

    def properties(self):
        """An anchor name (recorded once the node is finished) and the text."""
        props, anchor = [], None
        if self.chance(0.12):
            anchor = self.pick(ANCHORS)
            props.append("&" + anchor)
        if self.chance(0.12):
            props.append(self.tag())
        self.rng.shuffle(props)
        return anchor, " ".join(props)

    def finish(self, anchor):
        if anchor:
            self.defined.append(anchor)

    def alias(self):
        if self.defined and self.chance(0.95):
            return "*" + self.pick(self.defined)
        return "*" + self.pick(ANCHORS)

    def key(self, flow):
        if self.chance(0.005):
            return "k" * self.rng.choice([1000, 1024, 1025, 1100])
        roll = self.rng.random()
        if roll < 0.8:
            return self.pick(KEYS)
        if roll < 0.92:
            return '"' + self.pick(KEYS) + '"'
        if roll < 0.94 and self.defined:
            return self.alias() + " "
        odd = self.pick(ODD_KEYS)
        return odd if flow or not odd.startswith(("[", "{")) else self.pick(KEYS)

    def flow_node(self, depth):
        roll = self.rng.random()
        anchor, props = self.properties()
        if props and self.chance(0.15):
            self.finish(anchor)
            return props  # properties of an empty node, then "," "]" or "}"
        prefix = props + " " if props else ""
        if depth > 3 or roll < 0.55:
            if self.chance(0.1) and self.defined:
                return self.alias()
            text = prefix + self.scalar()
        elif roll < 0.8:
            items = [self.flow_node(depth + 1) for _ in range(self.rng.randint(0, 3))]
            text = prefix + "[" + self.pick([", ", ", ", ",\t", "\t,\t"]).join(items) + "]"
        else:
            entries = []
            for _ in range(self.rng.randint(0, 3)):
                key = self.key(True)
                sep = ":\t" if self.chance(0.05) else ": "
                entries.append(key if self.chance(0.1) else key + sep + self.flow_node(depth + 1))
            text = prefix + "{" + ", ".join(entries) + "}"
        self.finish(anchor)
        return text

    def block_scalar(self, indent):
        header = self.pick(["|", ">", "|-", ">-", "|+", ">+", "|2", ">1", "| # c", "|1", ">2",
                            "|1-", "|+1", ">2+"])
        lines = []
        for _ in range(self.rng.randint(0, 3)):
            extra = " " if self.chance(0.2) else ""
            roll = self.rng.random()
            if roll < 0.75:
                tab = "\t" if self.chance(0.05) else ""
                lines.append(" " * (indent + 2) + extra + tab + self.pick(WORDS))
            elif roll < 0.88:
                lines.append("")
            else:  # a line of spaces only, past the indentation or not
                lines.append(" " * (indent + self.rng.randint(0, 4)))
        return header, lines

    def block_value(self, indent, depth):
        """The text after "key:" or "-" on its line, and the lines that follow."""
        roll = self.rng.random()
        anchor, props = self.properties()
        lead = " " + props if props else ""
        if depth > 3 or roll < 0.45:
            if self.chance(0.08) and self.defined and not props:
                return " " + self.alias(), []
            if self.chance(0.02):
                return lead + " : " + self.scalar(), []
            value = self.scalar()
            self.finish(anchor)
            return lead + (" " + value if value else ""), []
        if roll < 0.6:
            text = self.flow_node(depth)
            self.finish(anchor)
            return lead + " " + text, []
        if roll < 0.72:
            header, lines = self.block_scalar(indent)
            self.finish(anchor)
            return lead + " " + header, lines
        child_indent = indent + self.pick([2, 2, 4, 1])
        if roll < 0.88:
            lines = self.block_mapping(child_indent, depth + 1)
        else:
            lines = self.block_sequence(child_indent if self.chance(0.6) else indent, depth + 1)
        self.finish(anchor)
        return lead, lines

    def merge_value(self):
        maps = [d for d in self.defined]
        choices = ["{m: 1, n: 2}", "[{p: 1}, {p: 2, q: 3}]", "[]"]
        if maps:
            choices += ["*" + self.pick(maps), "[*" + self.pick(maps) + ", {z: 1}]"]
        if self.chance(0.15):
            choices = ["text", "", "[{p: 1}, q]"]
        return self.pick(choices)

    def block_mapping(self, indent, depth):
        lines, used = [], set()
        for _ in range(self.rng.randint(1, 4)):
            if self.chance(0.05):
                lines.append(" " * indent + "# comment")
            if self.chance(0.07):
                lines.append(" " * indent + self.pick(["<<", "'<<'"]) + ": " + self.merge_value())
                continue
            key = self.key(False)
            while key in used and self.chance(0.95):
                key = self.key(False)
            used.add(key)
            if self.chance(0.04):
                first, rest = self.block_value(indent, depth)
                lines.append(" " * indent + "? " + key)
                lines.append(" " * indent + ":" + first)
                lines.extend(rest)
                continue
            first, rest = self.block_value(indent, depth)
            sep = ":\t" if self.chance(0.04) else ":"
            if sep == ":\t" and first.startswith(" ") and self.chance(0.5):
                first = first[1:]  # the tab alone separates the value
            comment = self.pick([" # note", "\t# note", "\t"]) if self.chance(0.06) else ""
            lines.append(" " * indent + key + sep + first + comment)
            lines.extend(rest)
        return lines

    def block_sequence(self, indent, depth):
        lines = []
        for _ in range(self.rng.randint(1, 3)):
            first, rest = self.block_value(indent, depth)
            if first.startswith(" ") and self.chance(0.04):
                first = "\t" + first[1:]  # a tab after the dash
            lines.append(" " * indent + "-" + first)
            lines.extend(rest)
        return lines

    def document(self):
        self.defined = []
        self.directive = False
        lines = []
        if self.chance(0.04):
            lines.append(self.pick(["%YAML 1.2", "%YAML 1.1"]))
        if self.chance(0.08):
            self.directive = True
            lines.append(self.pick(["%TAG !e! tag:example.com,2000:", "%TAG !e! tag:yaml.org,2002:",
                                    "%TAG !! tag:example.com,2000:", "%TAG ! tag:yaml.org,2002:"]))
        if lines or self.chance(0.05):
            lines.append("---")
        roll = self.rng.random()
        if roll < 0.88:
            lines.extend(self.block_mapping(0, 0))
        elif roll < 0.95:
            lines.append(self.flow_node(0))
        elif roll < 0.97:
            lines.extend(self.block_sequence(0, 0))
        else:
            lines.append(self.scalar())
        if self.chance(0.05):
            lines.append(self.pick(["...", "---", "--- x", "---\nb: 2", "...\n# end", "# end"]))
        # A frontmatter block loses its last line end; blank lines may stay.
        return "\n".join(lines) + ("\n" if self.chance(0.1) else "")

    def mutate(self, text):
        for _ in range(self.rng.randint(1, 2)):
            if not text:
                return self.pick(MUTATIONS)
            at = self.rng.randrange(len(text))
            roll = self.rng.random()
            if roll < 0.35:
                text = text[:at] + text[at + 1:]
            elif roll < 0.85:
                text = text[:at] + self.pick(MUTATIONS) + text[at:]
            else:
                lines = text.split("\n")
                i = self.rng.randrange(len(lines))
                lines.insert(i, lines[i])
                text = "\n".join(lines)
        return text

    def text(self):
        text = self.document()
        if self.chance(0.25):
            text = self.mutate(text)
        if self.chance(0.12):
            text = text.replace("\n", "\r\n")
        return text


# Blank and comment lines, directives and "---" before the first content.
FIRST_CONTENT = re.compile(r"^(?:[ \t]*(?:#[^\n]*)?\n|%[^\n]*\n|---[ \t]*\n)*")


def leaves(value, path=()):
    if isinstance(value, dict):
        for key, item in value.items():
            yield from leaves(item, path + (key,))
    elif isinstance(value, list):
        for index, item in enumerate(value):
            yield from leaves(item, path + (index,))
    else:
        yield path, value


def texts_differ_only(ours, other, differ):
    """True when the maps differ only in texts where differ(ours, other) holds."""
    try:
        a, b = dict(leaves(json.loads(ours))), dict(leaves(json.loads(other)))
    except ValueError:
        return False
    if a.keys() != b.keys():
        return False
    return all(a[k] == b[k] or (isinstance(a[k], str) and isinstance(b[k], str) and
                                differ(a[k], b[k])) for k in a)


# The other probe's command, for the predicates below that read a text again.
OTHER = []


def other_agrees_without_leading_mark(text, ours):
    """True when the text begins with a byte-order mark and, without it, the
    other side gives what this side gives with it."""
    if not text.startswith("\ufeff"):
        return False
    without = run(OTHER, text[1:])
    return without == ours or kind(without) == kind(ours) == "syntax"


def error_index(outcome):
    """The character index of a syntax error, or None."""
    match = SYNTAX_ERROR.match(outcome[1]) if outcome[0] == 1 else None
    return int(match.group(2)) if match else None


def neighbours(text, index):
    """The characters before and after `index` that are not blanks."""
    before, after = index - 1, index + 1
    while before >= 0 and text[before] in " \t":
        before -= 1
    while after < len(text) and text[after] in " \t":
        after += 1
    return (text[before] if before >= 0 else ""), text[after:after + 2]


def tab_indents_compact_collection(text, ours, other):
    """Ours rejects a tab after "-", "?" or ":" that stands before "- ",
    "? " or ": ": such a tab would indent a compact collection, and only
    spaces indent (YAML 1.2.2, section 6.1)."""
    at = error_index(ours)
    if at is None or kind(other) == "syntax" or at > len(text):
        return False
    if at == len(text) or text[at] not in " \t":
        at -= 1  # the error may stand at the node after the blanks
    while at > 0 and text[at] == " ":
        at -= 1
    if at < 0 or text[at] != "\t":
        return False
    before, after = neighbours(text, at)
    return before in ("-", "?", ":") and after[:1] in ("-", "?", ":") and \
        (len(after) == 1 or after[1] in " \t\r\n")


def other_rejects_tab_after_question_mark(text, ours, other):
    """The other side rejects a tab, or the end of the text, after an
    explicit key's "?" (YAML 1.2.2: s-separate-in-line holds tabs, and the
    key may be empty)."""
    at = error_index(other)
    return at is not None and kind(ours) != "syntax" and at <= len(text) and \
        (at == len(text) or text[at] in "\t\r\n") and neighbours(text, at)[0] == "?"


EMPTY_KEY_IN_FLOW_SEQUENCE = re.compile(r"[\[,][ \t]*:(?=[ \t\[{])")


def other_rejects_empty_key_in_flow_sequence(text, ours, other):
    """The other side fails on some pairs of an empty key and a value in a
    flow sequence ("[a, : [b]]", "[{p: 1},: q]", "[a, :{b: c}]"; YAML 1.2.2,
    c-ns-flow-map-empty-key-entry), at or after such a pair."""
    at = error_index(other)
    if at is None or kind(ours) == "syntax":
        return False
    match = EMPTY_KEY_IN_FLOW_SEQUENCE.search(text)
    return match is not None and match.start() < at


def white_line_with_tab(text, ours, other):
    """Ours rejects a line of only spaces and tabs, holding a tab, where a
    block scalar ends: such a line is neither content nor an empty line of
    the scalar (YAML 1.2.2, l-empty and l-chomped-empty take spaces only)."""
    at = error_index(ours)
    if at is None or kind(other) == "syntax" or at > len(text):
        return False
    start = max(text.rfind("\n", 0, at), text.rfind("\r", 0, at)) + 1
    end = len(text)
    for brk in ("\n", "\r"):
        found = text.find(brk, at)
        if found != -1:
            end = min(end, found)
    line = text[start:end]
    return "\t" in line and line.strip(" \t") == "" and ("|" in text or ">" in text)


def tag_glued_to_collection(text, ours, other):
    """Ours rejects a flow collection that follows its tag without white
    space ("!{a: b}"): properties are separated from content (YAML 1.2.2,
    c-flow-json-node)."""
    at = error_index(ours)
    return at is not None and kind(other) != "syntax" and \
        "invalid tag terminator" in ours[1] and 0 < at < len(text) and text[at] in "[{"


def ours_says(fragment):
    """Ours gives a syntax error with `fragment` in it where the other side
    gives none."""
    return lambda text, ours, other: kind(ours) == "syntax" and fragment in ours[1] and \
        kind(other) != "syntax"


# Known faults of the other side's YAML library, which this system does not
# share: each a predicate of (text, ours, other). A NUL, which YAML does not
# allow anywhere, is a syntax error here; the other side reads it as the end
# of the text.
KNOWN_FAULTS = {
    "other reads a NUL as the end of the text":
        lambda text, ours, other: "\x00" in text and kind(ours) == "syntax" and
        kind(other) != "syntax",
    "other takes a byte-order mark at the start of the text for content":
        lambda text, ours, other: other_agrees_without_leading_mark(text, ours),
    "other accepts a byte-order mark in or right after an anchor or alias":
        lambda text, ours, other: kind(ours) == "syntax" and "byte-order mark" in ours[1] and
        kind(other) != "syntax",
    "other accepts a second %TAG directive for one handle":
        lambda text, ours, other: kind(ours) == "syntax" and
        "duplicate tag directive" in ours[1] and kind(other) != "syntax",
    "other rejects a tab after ':'":
        lambda text, ours, other: other[0] == 1 and
        "':' must be followed by a valid YAML whitespace" in other[1],
    "other accepts a tab before the first key":
        lambda text, ours, other: kind(ours) == "syntax" and kind(other) != "syntax" and
        text.replace("\r\n", "\n")[FIRST_CONTENT.match(text.replace("\r\n", "\n")).end():]
        .startswith("\t"),
    "other gives \"\\n\" for an empty block scalar at the end":
        lambda text, ours, other: ours[0] == other[0] == 0 and
        texts_differ_only(ours[1], other[1], lambda a, b: a == "" and b == "\n"),
    # Only spaces indent, also the compact collection after "-" ("-\t- a").
    "other accepts a tab that indents a compact collection": tab_indents_compact_collection,
    "other rejects a tab or the end of the text after '?'": other_rejects_tab_after_question_mark,
    "other rejects an empty key in a flow sequence": other_rejects_empty_key_in_flow_sequence,
    # ">" and "|" are indicators, which cannot begin a plain scalar.
    "other accepts '>' or '|' at the start of a plain scalar":
        lambda text, ours, other: ours_says("plain scalar cannot start with '>'")(text, ours, other)
        or ours_says("plain scalar cannot start with '|'")(text, ours, other),
    # The lines of a flow node in a block collection are indented past the
    # collection (YAML 1.2.2, s-flow-line-prefix; test 9C9N).
    "other accepts lines of a flow node that are not indented past its block collection":
        ours_says("wrongly indented"),
    # Only spaces indent a block mapping's entries (YAML 1.2.2, 6.1).
    "other accepts a tab in the indentation of a block mapping entry":
        ours_says("invalid tab as inden"),
    # A "]" or "}" closes only a flow collection that it matches.
    "other accepts a ']' or '}' that closes nothing": ours_says("mismatched flow"),
    # A %TAG directive separates its handle from its prefix with white space.
    "other accepts a %TAG directive without white space after the handle":
        ours_says("missing whitespace after TAG"),
    # A document of a later major version is refused (YAML 1.2.2, 6.8.1).
    "other accepts a %YAML directive of a later major version":
        ours_says("unsupported YAML version"),
    "other accepts a white line holding a tab where a block scalar ends": white_line_with_tab,
    "other accepts a flow collection right after its tag": tag_glued_to_collection,
    # In a block scalar, a line of exactly the indentation's spaces after the
    # content is an empty line; the other side takes it as a line of content
    # ("a:\n- |1\n  y\n \n" gives " y\n\n" there, " y\n" in YAML).
    "other keeps a line of only the indentation's spaces as content":
        lambda text, ours, other: ours[0] == other[0] == 0 and ("|" in text or ">" in text) and
        texts_differ_only(ours[1], other[1], lambda a, b: a != "" and b == a + "\n"),
}


def known_fault(text, ours, other):
    for name, matches in KNOWN_FAULTS.items():
        if matches(text, ours, other):
            return name
    return None


def run(command, text):
    result = subprocess.run(command, input=text.encode("utf-8", "surrogatepass"),
                            capture_output=True, timeout=60)
    return result.returncode, result.stdout.decode("utf-8", "replace").rstrip("\n")


def kind(outcome):
    status, out = outcome
    if status == 0:
        return "map"
    return "syntax" if SYNTAX_ERROR.match(out) else "message"


def compare(ours, other):
    """The class of the pair: 'same', 'same-syntax' or a difference class."""
    if ours == other:
        return "same"
    mine, theirs = kind(ours), kind(other)
    if mine == theirs == "syntax":
        return "same-syntax"
    return f"{mine}/{theirs}" if mine != theirs else f"different-{mine}"


def split_frontmatter(text):
    """The YAML text of a concept's frontmatter block, as the engine splits it."""
    text = text.replace("\r\n", "\n").replace("\r", "\n")
    if text.startswith("\ufeff"):
        text = text[1:]
    lines = text.split("\n")
    delimiter = re.compile(r"^---[ \t]*$")
    if len(lines) < 2 or not delimiter.match(lines[0]):
        return None
    for i in range(1, len(lines)):
        if delimiter.match(lines[i]) and (i < len(lines) - 1 or lines[i]):
            return "\n".join(lines[1:i])
    return None


def load(program, root):
    done = subprocess.run(shlex.split(program) + ["__engine-load", root], capture_output=True,
                          timeout=120)
    return done.returncode, done.stdout.decode("utf-8", "replace")


def file_outcomes(document):
    """Each path's concept record or diagnostics, with syntax-error wording set aside."""
    outcomes = collections.defaultdict(list)
    for concept in document.get("concepts", []):
        outcomes[concept["path"]].append(("concept", concept["frontmatter_json"]))
    for diagnostic in document.get("diagnostics", []):
        message = diagnostic["message"]
        if SYNTAX_ERROR.match(message):
            message = "<syntax error>"
        outcomes[diagnostic["path"]].append((diagnostic["code"], message))
    return outcomes


def compare_bundles(args, generator, ours_probe, other_probe):
    """Loads generated bundles with both programs and classifies every file that differs."""
    classes = collections.Counter()
    examples = collections.defaultdict(list)
    bundles_differing = files_total = 0
    for _ in range(args.bundles):
        work = tempfile.mkdtemp(prefix="zav-frontmatter-")
        try:
            texts = {}
            for index in range(generator.rng.randint(5, 15)):
                path = "c%02d.md" % index
                text = "---\n" + generator.text() + "\n---\n# Title\n\nBody.\n"
                with open(os.path.join(work, path), "w", encoding="utf-8",
                          errors="surrogatepass") as out:
                    out.write(text)
                texts[path] = text
            files_total += len(texts)
            a, b = load(args.ours_load, work), load(args.other_load, work)
        finally:
            shutil.rmtree(work)
        if a[0] != 0 or b[0] != 0:
            classes["load failed: %d vs %d" % (a[0], b[0])] += 1
            continue
        mine, theirs = file_outcomes(json.loads(a[1])), file_outcomes(json.loads(b[1]))
        differing = [p for p in texts if mine.get(p) != theirs.get(p)]
        bundles_differing += bool(differing)
        for path in differing:
            yaml = split_frontmatter(texts[path])
            if yaml is None:
                verdict = "file without frontmatter block"
            else:
                ours, other = run(ours_probe, yaml), run(other_probe, yaml)
                verdict = known_fault(yaml, ours, other) or "unclassified " + compare(ours, other)
            classes[verdict] += 1
            if len(examples[verdict]) < args.show:
                examples[verdict].append((yaml, mine.get(path), theirs.get(path)))
    print(f"bundles: {args.bundles}, files: {files_total}; bundles with a differing file: "
          f"{bundles_differing}")
    for verdict, count in sorted(classes.items()):
        print(f"  {verdict}: {count}")
    for verdict, cases in sorted(examples.items()):
        if verdict.startswith("unclassified") or args.show_known:
            print_examples(verdict, cases, str)
    return 0


def print_examples(verdict, cases, show):
    """The examples of one verdict: each text with the two outcomes, `show` writing one."""
    print(f"\n== {verdict}")
    for text, ours, other in cases:
        print(f"  text:  {text!r}")
        print(f"  ours:  {show(ours)}")
        print(f"  other: {show(other)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ours", required=True)
    parser.add_argument("--other", required=True)
    parser.add_argument("--count", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--show", type=int, default=5)
    parser.add_argument("--bundles", type=int, default=0)
    parser.add_argument("--ours-load", help="program for the bundle loads (with --bundles)")
    parser.add_argument("--other-load", help="the other program for the bundle loads")
    parser.add_argument("--show-known", action="store_true",
                        help="show examples of the known faults too")
    args = parser.parse_args()
    ours_command, other_command = shlex.split(args.ours), shlex.split(args.other)
    OTHER[:] = other_command
    if args.bundles:
        if not args.ours_load or not args.other_load:
            parser.error("--bundles needs --ours-load and --other-load")
        return compare_bundles(args, Generator(random.Random(args.seed)), ours_command,
                               other_command)

    rng = random.Random(args.seed)
    generator = Generator(rng)
    classes = collections.Counter()
    kinds = collections.Counter()
    examples = collections.defaultdict(list)
    position_agree = 0
    seen = set()
    while sum(classes.values()) < args.count:
        text = generator.text()
        if text in seen:
            continue
        seen.add(text)
        ours, other = run(ours_command, text), run(other_command, text)
        verdict = compare(ours, other)
        if verdict not in ("same", "same-syntax"):
            verdict = known_fault(text, ours, other) or verdict
        classes[verdict] += 1
        kinds[kind(other)] += 1
        if verdict == "same-syntax":
            a, b = SYNTAX_ERROR.match(ours[1]), SYNTAX_ERROR.match(other[1])
            if a.groups()[1:] == b.groups()[1:]:
                position_agree += 1
        if verdict not in ("same", "same-syntax") and len(examples[verdict]) < args.show:
            examples[verdict].append((text, ours, other))

    total = sum(classes.values())
    agreed = classes["same"] + classes["same-syntax"]
    print(f"texts: {total}; outcomes of the other probe: {dict(kinds)}")
    print(f"agreement: {agreed}/{total} = {100.0 * agreed / total:.2f}%")
    if classes["same-syntax"]:
        print(f"syntax errors on both sides with other wording: {classes['same-syntax']}, "
              f"same position: {position_agree}")
    for verdict, count in sorted(classes.items()):
        print(f"  {verdict}: {count}")
    for verdict, cases in sorted(examples.items()):
        if verdict in KNOWN_FAULTS and not args.show_known:
            continue
        print_examples(verdict, cases, lambda outcome: f"{outcome[0]} {outcome[1]}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
