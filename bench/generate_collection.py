#!/usr/bin/env python3
"""Writes a synthetic collection MOF of any size for the report benchmarks.

The collection is grown from a bundled sample: its single system objects are
kept once, the hardware objects are copied (with their associations) until
there are about a thousand of them, and the log, process, package and event
tables are filled up to the requested instance count. --variant writes a
second collection of the same machine that differs slightly, for comparisons.
"""

import argparse
import os
import random
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SCHEMA = os.path.join(ROOT, "schema")
SAMPLES = {
    "linux": os.path.join(ROOT, "samples", "linux-server.mof"),
    "windows": os.path.join(ROOT, "samples", "windows-server.mof"),
}

# Tables that grow with the life of a machine rather than with its hardware.
BULK_CLASS = re.compile(
    r"LogRecord|LogEntry|Process$|InstalledRPM|InstalledApplication|InstalledFix|"
    r"KernelModule|DeviceDriverInfo|SystemServiceInfo|OSComponent")
HARDWARE_TARGET = 1000
# Keys naming the system or log an object belongs to: copies keep their owner.
SCOPING_KEY = re.compile(r"CreationClassName$|^System|^LogName$")

BLOCK = re.compile(r"^instance of (\w+)(?: as (\$\w+))?\s*\n\{\n(.*?)^\};\n",
                   re.M | re.S)
ALIAS = re.compile(r"\$\w+")


def key_names():
    """Names of every string property qualified Key anywhere in the schema."""
    keys = set()
    for name in os.listdir(SCHEMA):
        if not name.endswith(".mof"):
            continue
        with open(os.path.join(SCHEMA, name), encoding="utf-8") as f:
            text = f.read()
        for match in re.finditer(r"\[\s*Key\b", text):
            end = qualifier_end(text, match.start())
            decl = re.match(r"\s*(\w+)(?:\s+REF)?\s+(\w+)", text[end:])
            if decl and decl.group(1) == "string":
                keys.add(decl.group(2))
    return keys


def qualifier_end(text, start):
    """Index after the ']' closing the qualifier list opened at start."""
    in_string = False
    i = start + 1
    while i < len(text):
        c = text[i]
        if in_string:
            if c == "\\":
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
        elif c == "]":
            return i + 1
        i += 1
    return i


class Block:
    def __init__(self, cls, alias, body):
        self.cls = cls
        self.alias = alias
        self.body = body
        self.refs = set(ALIAS.findall(body))

    def render(self, alias=None, body=None):
        alias = self.alias if alias is None else alias
        head = "instance of %s%s\n" % (self.cls, " as " + alias if alias else "")
        return head + "{\n" + (self.body if body is None else body) + "};\n\n"


class Generator:
    def __init__(self, sample, keys, rng, variant):
        with open(sample, encoding="utf-8") as f:
            text = f.read()
        self.blocks = [Block(*m.groups()) for m in BLOCK.finditer(text)]
        self.keys = keys
        self.rng = rng
        self.variant = variant
        self.counters = {}
        counts = {}
        for b in self.blocks:
            counts[b.cls] = counts.get(b.cls, 0) + 1
        self.bulk = [b for b in self.blocks if BULK_CLASS.search(b.cls) and not b.alias]
        bulk_ids = set(map(id, self.bulk))
        rest = [b for b in self.blocks if id(b) not in bulk_ids]
        # Hardware that comes in numbers is copied; singletons stay single.
        self.hardware = [b for b in rest if counts[b.cls] > 1 and not self.is_association(b)]
        copied_aliases = {b.alias for b in self.hardware if b.alias}
        self.links = [b for b in rest if self.is_association(b) and b.refs & copied_aliases]
        copied = set(map(id, self.hardware + self.links))
        self.fixed = [b for b in rest if id(b) not in copied]

    @staticmethod
    def is_association(block):
        return bool(block.refs) and not block.alias

    def key_line(self, line, tag, renumber):
        """Makes a key value of a copy unique; table rows are numbered afresh."""
        m = re.match(r'(\s*)(\w+)(\s*=\s*)"([^"]*)";$', line)
        if not m or m.group(2) not in self.keys or SCOPING_KEY.search(m.group(2)):
            return line
        value = m.group(4)
        if renumber and re.fullmatch(r"\d+", value):
            value = str(self.next_number(m.group(2)))
        else:
            value = "%s-%s" % (value, tag)
        return '%s%s%s"%s";' % (m.group(1), m.group(2), m.group(3), value)

    def next_number(self, name):
        self.counters[name] = self.counters.get(name, 0) + 1
        return self.counters[name]

    def copy_body(self, block, tag, aliases, renumber=False):
        lines = [self.key_line(l, tag, renumber) for l in block.body.split("\n")]
        body = "\n".join(lines)
        return ALIAS.sub(lambda m: aliases.get(m.group(0), m.group(0)), body)

    def vary(self, body):
        """The variant changes readings and counters of a few objects."""
        if not self.variant or self.rng.random() > 0.05:
            return body
        return re.sub(r"(= )(\d+)(;)",
                      lambda m: m.group(1) + str(int(m.group(2)) + 1) + m.group(3),
                      body, count=1)

    def write(self, out, instances, include):
        out.write("// Synthetic collection for the report benchmarks.\n\n")
        out.write('#pragma include("%s")\n#pragma namespace("root/cimv2")\n\n' % include)
        written = 0
        for b in self.fixed:
            out.write(b.render())
            written += 1
        per_copy = len(self.hardware) + len(self.links)
        copies = max(1, HARDWARE_TARGET // max(1, len(self.hardware)))
        copies = min(copies, max(1, (instances - written) // max(1, per_copy) // 2))
        for k in range(copies):
            written += self.write_hardware_copy(out, k)
        written += self.write_bulk(out, max(0, instances - written))
        return written

    def write_hardware_copy(self, out, k):
        tag = "c%d" % k
        aliases = {b.alias: "%s_%s" % (b.alias, tag) for b in self.hardware if b.alias}
        for b in self.hardware:
            body = b.body if k == 0 else self.copy_body(b, tag, aliases)
            out.write(b.render(b.alias and (b.alias if k == 0 else aliases[b.alias]),
                               self.vary(body)))
        for b in self.links:
            out.write(b.render(body=b.body if k == 0 else self.copy_body(b, tag, aliases)))
        return len(self.hardware) + len(self.links)

    def write_bulk(self, out, count):
        written = 0
        for n in range(count):
            b = self.bulk[n % len(self.bulk)]
            if self.variant and self.rng.random() < 0.01:
                continue  # the later collection lost some entries...
            body = self.copy_body(b, "r%d" % n, {}, True)
            out.write(b.render(body=self.vary(body)))
            written += 1
        if self.variant:  # ...and gained others
            for n in range(count // 100):
                b = self.bulk[n % len(self.bulk)]
                out.write(b.render(body=self.copy_body(b, "v%d" % n, {}, True)))
                written += 1
        return written


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--instances", type=int, default=100000)
    parser.add_argument("--os", choices=sorted(SAMPLES), default="linux")
    parser.add_argument("--seed", type=int, default=1,
                        help="seed of the changes a variant makes")
    parser.add_argument("--variant", action="store_true",
                        help="a slightly different collection of the same machine")
    parser.add_argument("-o", "--output", required=True)
    args = parser.parse_args()
    rng = random.Random(args.seed * 2 + int(args.variant))
    generator = Generator(SAMPLES[args.os], key_names(), rng, args.variant)
    out_dir = os.path.dirname(os.path.abspath(args.output))
    include = os.path.relpath(os.path.join(SCHEMA, "schema.mof"), out_dir)
    with open(args.output, "w", encoding="utf-8") as out:
        written = generator.write(out, args.instances, include)
    print("%s: %d instances" % (args.output, written), file=sys.stderr)


if __name__ == "__main__":
    main()
