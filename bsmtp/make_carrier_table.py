#!/usr/bin/python3
"""Writes the library's pictograph table: for every i-mode pictograph code, the code of the
same picture on au and on SoftBank handsets, the standard emoji and its Japanese name.

    make_carrier_table.py OUT.inc --sources EmojiSources.txt --names ja.xml [ja-derived.xml]

The codes and emoji come from Unicode's EmojiSources.txt (DoCoMo, KDDI and SoftBank
columns, all Shift_JIS); the names from CLDR's Japanese annotations (the "tts" name).
A name the code page cannot hold is left out. Run by the build.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from cldr_names import read_tts_names  # noqa: E402


def read_sources(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split(";")
            if len(fields) < 4 or not fields[1]:
                continue
            emoji = [int(x, 16) for x in fields[0].split()]
            code = lambda s: int(s, 16) if s else 0
            rows.append((code(fields[1]), code(fields[2]), code(fields[3]), emoji))
    return sorted(rows)


def c_string(text):
    return '"' + "".join("\\x%02x" % b for b in text.encode("utf-8")) + '"'


def main():
    p = argparse.ArgumentParser()
    p.add_argument("output")
    p.add_argument("--sources", required=True)
    p.add_argument("--names", nargs="+", required=True)
    args = p.parse_args()
    names = read_tts_names(args.names)
    lines = []
    for docomo, kddi, softbank, emoji in read_sources(args.sources):
        if len(emoji) > 2:
            raise SystemExit("emoji sequence too long: %04X" % docomo)
        text = "".join(chr(c) for c in emoji)
        name = names.get(text) or names.get(text + "\ufe0f") or ""
        try:
            name.encode("cp932")
        except UnicodeEncodeError:
            name = ""
        seq = ", ".join("0x%04X" % c for c in emoji)
        lines.append("    {0x%04X, 0x%04X, 0x%04X, {%s}, %s}," %
                     (docomo, kddi, softbank, seq, c_string(name)))
    with open(args.output, "w", encoding="utf-8") as f:
        f.write("// Written by bsmtp/make_carrier_table.py at build time. Do not edit.\n")
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
