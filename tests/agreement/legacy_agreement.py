#!/usr/bin/env python3
"""Agreement check of the facts input reader against another facts command.

Generates facts inputs (valid ones and ones broken at random points), feeds
each to the reader probe (tests/tools/legacy_probe) and to another program's
facts command, and compares what they report:

- failures: the whole standard-error text and the status must match;
- successes: the other command prints one facts object per document; where a
  document is empty or a plain heading line "# TEXT", the object it must print
  is derived from the document the probe decoded, otherwise only the number
  of objects is compared.

Usage:
  legacy_agreement.py [--count N] [--seed S] [--show K] [--summary] PROBE OTHER [ARG...]
e.g.
  legacy_agreement.py build/tests/legacy_probe /path/to/zav-parser __engine-facts
"""

import argparse
import collections
import concurrent.futures
import json
import random
import re
import subprocess
import sys

WHITESPACE = [" ", "\t", "\n", "\r"]

# Heading words: characters with no Markdown meaning, written raw or escaped.
WORD_PIECES = [
    "a", "Z", "7", "word", "\u00e9", "\u4e2d", "\U0001F600", "\u00a0x",
    "\\u0041", "\\u00e9", "\\u00E9", "\\u4E2D", "\\ud83d\\ude00", "\\uD834\\uDD1E",
    "\\/", "\\\"", "'", "-", "=", "\\u0020x", "~", "%", "$",
]

NUMBERS = [
    "0", "-0", "1", "-1", "5", "1.5", "-1.25", "1e5", "1E5", "1e+5", "1e-5", "1.0",
    "0.1", "1E400", "-1e-400", "1e999", "0e999", "18446744073709551615",
    "18446744073709551616", "-9223372036854775808", "-9223372036854775809",
    "9223372036854775807", "9007199254740993.0", "123456789012345678901234567890",
    "1.5e-7", "1e300", "1e16", "1e15", "0.0001", "0.00001", "1e-99999999999",
    "1e99999999999", "0.1e309", "10e308", "2.2250738585072014e-308", "5e-324",
    "1.7976931348623157e308", "1.7976931348623159e308", "0.30000000000000004",
    "123.456e-2", "-0.0", "1e-7", "100000000000000000000.5",
    "00", "01", "-", "1.", "1.e5", "1e", "1e+", ".5", "+1", "-x", "1ex", "0x10",
]

CODE_POINT_SAMPLES = [
    0x0, 0x1, 0x8, 0x9, 0xA, 0xC, 0xD, 0x1B, 0x1F, 0x22, 0x27, 0x5C, 0x7F, 0x80, 0x9F, 0xA0,
    0xAD, 0xE9, 0x300, 0x301, 0x378, 0x600, 0x61C, 0x897, 0x9BE, 0x200B, 0x200C, 0x200D,
    0x2028, 0x2029, 0x3000, 0xE000, 0xFE0F, 0xFEFF, 0xFFFD, 0xFFFF, 0x1C89, 0x16D40, 0x1F600,
    0x1F3FB, 0x2A6E0, 0xE0001, 0xE0100, 0xF0000, 0x10FFFF,
]


class Generator:
    def __init__(self, rng):
        self.rng = rng

    def ws(self):
        r = self.rng
        if r.random() < 0.7:
            return ""
        return "".join(r.choice(WHITESPACE) for _ in range(r.randint(1, 3)))

    def escaped_char(self, c):
        """`c` as JSON string text, raw or as an escape."""
        r = self.rng
        cp = ord(c)
        if c == '"' or c == "\\" or cp < 0x20 or r.random() < 0.3:
            if c == "/" and r.random() < 0.5:
                return "\\/"
            short = {'"': '\\"', "\\": "\\\\", "\b": "\\b", "\f": "\\f", "\n": "\\n",
                     "\r": "\\r", "\t": "\\t"}
            if c in short and r.random() < 0.6:
                return short[c]
            if cp >= 0x10000:
                v = cp - 0x10000
                hi, lo = 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF)
                return self.hex_escape(hi) + self.hex_escape(lo)
            return self.hex_escape(cp)
        return c

    def hex_escape(self, cp):
        text = "%04x" % cp
        if self.rng.random() < 0.3:
            text = text.upper()
        return "\\u" + text

    def random_code_point(self):
        r = self.rng
        roll = r.random()
        if roll < 0.3:
            return r.choice(CODE_POINT_SAMPLES)
        if roll < 0.6:
            return r.randint(0x20, 0x7E)
        if roll < 0.8:
            cp = r.randint(0x80, 0xFFFF)
        else:
            cp = r.randint(0x10000, 0x10FFFF)
        if 0xD800 <= cp <= 0xDFFF:
            cp = 0x41
        return cp

    def text_string(self, length=None):
        r = self.rng
        if length is None:
            length = r.randint(0, 6)
        return '"' + "".join(self.escaped_char(chr(self.random_code_point()))
                             for _ in range(length)) + '"'

    def skipped_string(self):
        """A string for a skipped value: any escapes, lone surrogates included."""
        r = self.rng
        if r.random() < 0.2:
            return '"' + r.choice(["\\ud800", "\\udc00x", "\\uDBFF\\u0041", "\\ud800\\n"]) + '"'
        return self.text_string()

    def number(self):
        r = self.rng
        if r.random() < 0.5:
            return r.choice(NUMBERS[:-11])
        sign = "-" if r.random() < 0.3 else ""
        digits = str(r.randint(0, 10 ** r.randint(1, 25)))
        if r.random() < 0.4:
            digits += "." + str(r.randint(0, 10 ** r.randint(1, 20)))
        if r.random() < 0.4:
            digits += r.choice("eE") + r.choice(["", "+", "-"]) + str(r.randint(0, 400))
        return sign + digits

    def scalar(self, skipped):
        r = self.rng
        roll = r.random()
        if roll < 0.15:
            return "null"
        if roll < 0.3:
            return r.choice(["true", "false"])
        if roll < 0.65:
            return self.number()
        return self.skipped_string() if skipped else self.text_string()

    def value(self, depth=0):
        """A well-formed value of any kind, for skipped members."""
        r = self.rng
        if depth > 4 or r.random() < 0.45:
            return self.scalar(True)
        if r.random() < 0.05:
            n = r.randint(50, 3000)
            opener, closer = r.choice([("[", "]"), ('{"k":', "}")])
            return opener * n + self.scalar(True) + closer * n
        if r.random() < 0.5:
            items = [self.ws() + self.value(depth + 1) + self.ws() for _ in range(r.randint(0, 4))]
            return "[" + ",".join(items) + (self.ws() if not items else "") + "]"
        members = [self.ws() + self.key() + self.ws() + ":" + self.ws() + self.value(depth + 1)
                   + self.ws() for _ in range(r.randint(0, 4))]
        return "{" + ",".join(members) + (self.ws() if not members else "") + "}"

    def key(self):
        r = self.rng
        choice = r.random()
        if choice < 0.5:
            return '"' + r.choice(["x", "title", "Documents", "DOCUMENTS", "document",
                                   "documents ", "\\u0064ocument", "", "docs", "\u00e9"]) + '"'
        return self.text_string(r.randint(0, 4))

    def documents_key(self):
        r = self.rng
        return '"' + r.choice(["documents", "documents", "docu\\u006dents",
                               "\\u0064\\u006f\\u0063uments", "documen\\u0074s"]) + '"'

    def heading_word(self):
        r = self.rng
        return "".join(r.choice(WORD_PIECES) for _ in range(r.randint(1, 4)))

    def document(self):
        r = self.rng
        if r.random() < 0.4:
            return '""'
        return '"# ' + self.heading_word() + '"'

    def documents(self):
        r = self.rng
        docs = [self.ws() + self.document() + self.ws() for _ in range(r.randint(0, 4))]
        return "[" + ",".join(docs) + (self.ws() if not docs else "") + "]"

    def valid_input(self):
        r = self.rng
        if r.random() < 0.25:
            return self.ws() + "[" + self.ws() + self.documents() + self.ws() + "]" + self.ws()
        members = [self.ws() + self.key() + self.ws() + ":" + self.ws() + self.value() + self.ws()
                   for _ in range(r.randint(0, 3))]
        position = r.randint(0, len(members))
        members.insert(position, self.ws() + self.documents_key() + self.ws() + ":" + self.ws()
                       + self.documents() + self.ws())
        return self.ws() + "{" + ",".join(members) + "}" + self.ws()

    def wrong_kind(self):
        """A value of a kind other than the one due."""
        r = self.rng
        roll = r.random()
        if roll < 0.5:
            return self.scalar(False) if r.random() < 0.6 else r.choice(NUMBERS)
        if roll < 0.7:
            return self.text_string(r.randint(0, 12))
        return r.choice(["[]", "{}", '{"a":1}', "[1]"])

    def structural_break(self):
        r = self.rng
        roll = r.random()
        docs = self.documents()
        if roll < 0.15:
            return "{" + self.documents_key() + ":" + docs + "," + self.ws() + self.documents_key() \
                + self.ws() + r.choice([":" + docs, ":", "", ":[1", "}", ":5"]) + r.choice(["}", ""])
        if roll < 0.3:
            return "{" + ",".join(self.key() + ":" + self.value() for _ in range(r.randint(0, 2))) \
                + self.ws() + "}" + r.choice(["", " ", "x", "]"])
        if roll < 0.5:
            return "{" + self.ws() + self.documents_key() + ":" + self.ws() + self.wrong_kind() \
                + self.ws() + "}"
        if roll < 0.65:
            items = [self.document() for _ in range(r.randint(0, 2))]
            items.insert(r.randint(0, len(items)), self.wrong_kind())
            return '{"documents":[' + ",".join(items) + "]}"
        if roll < 0.8:
            return self.ws() + self.wrong_kind() + self.ws()
        if roll < 0.9:
            return "[" + self.ws() + r.choice(["", docs + "," + docs, docs + ",", self.wrong_kind()]) \
                + self.ws() + r.choice(["]", "", ",]", "]]"])
        return self.valid_input() + r.choice(["x", ",", "{}", "\ufeff", "\f", "\x00", "1"])

    def mutate(self, text):
        r = self.rng
        if not text:
            return r.choice(["", " ", "\ufeff{}"])
        kind = r.random()
        pos = r.randint(0, len(text))
        if kind < 0.35:
            return text[:pos]
        insert = r.choice(['"', "\\", ",", ":", "[", "]", "{", "}", " ", "\n", "0", "-", "e", ".",
                           "u", "x", "\x01", "\t", "\ufeff", "\u00e9", "n", "tru", "\\u", "\\ud800",
                           "1e999", "\x7f"])
        if kind < 0.65:
            return text[:pos] + insert + text[pos:]
        if kind < 0.85:
            return text[:pos] + text[pos + 1:]
        return text[:pos] + insert + text[pos + 1:]

    def case(self):
        r = self.rng
        roll = r.random()
        if roll < 0.35:
            return self.valid_input()
        if roll < 0.6:
            return self.structural_break()
        text = self.valid_input()
        for _ in range(r.randint(1, 2)):
            text = self.mutate(text)
        return text


def run(command, data):
    done = subprocess.run(command, input=data, capture_output=True, timeout=60)
    return done.returncode, done.stdout, done.stderr


PLAIN_HEADING = re.compile(r"# ([^\s\\*_`\[\]<>&#!|]([^\\*_`\[\]<>&#!|\n\r]*[^\s\\*_`\[\]<>&#!|])?)",
                           re.DOTALL)


def expected_facts(document):
    """The facts object of a document, when it is known without Markdown."""
    if document == "":
        return {"links": [], "headings": []}
    match = PLAIN_HEADING.fullmatch(document)
    if match and not any(c in document for c in "\u00a0\u3000\u2028\u2029\x0b\x0c\x85"):
        return {"links": [], "headings": [[1, match.group(1)]]}
    return None


def compare(probe_result, other_result):
    """None when the two agree, else a short reason."""
    p_status, p_out, p_err = probe_result
    o_status, o_out, o_err = other_result
    if p_status != 0 or o_status != 0:
        if (p_status, p_err) != (o_status, o_err):
            return "failure differs"
        return None
    documents = json.loads(p_out)
    facts = json.loads(o_out)
    if len(documents) != len(facts):
        return "document count differs"
    for document, fact in zip(documents, facts):
        expected = expected_facts(document)
        if expected is not None and expected != fact:
            return "decoded document differs"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--count", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--show", type=int, default=20, help="differences printed in full")
    parser.add_argument("--summary", action="store_true", help="count the outcomes by message")
    parser.add_argument("probe")
    parser.add_argument("other", nargs="+")
    args = parser.parse_args()

    generator = Generator(random.Random(args.seed))
    inputs = [generator.case().encode("utf-8", "surrogatepass") for _ in range(args.count)]

    def check(data):
        probe_result = run([args.probe], data)
        return data, probe_result, compare(probe_result, run(args.other, data))

    differences = []
    outcomes = collections.Counter()
    with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
        for data, probe_result, reason in pool.map(check, inputs):
            if reason:
                differences.append((data, reason))
            message = probe_result[2].decode("utf-8", "replace").strip()
            message = re.sub(r" at line \d+ column \d+$", "", message)
            message = re.sub(r"invalid type: .*, expected", "invalid type: ..., expected", message)
            outcomes[message or "accepted"] += 1
    if args.summary:
        for message, count in outcomes.most_common():
            print("%6d  %s" % (count, message))
    for data, reason in differences[:args.show]:
        print("DIFFERENCE (%s): %r" % (reason, data))
        print("  probe: %r" % (run([args.probe], data),))
        print("  other: %r" % (run(args.other, data),))
    agreed = len(inputs) - len(differences)
    print("%d inputs (%d accepted by the probe), %d agree, %d differ: %.2f%% agreement"
          % (len(inputs), outcomes["accepted"], agreed, len(differences),
             100.0 * agreed / max(1, len(inputs))))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
