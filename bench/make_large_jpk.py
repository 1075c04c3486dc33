#!/usr/bin/env python3
"""Writes a large, schema-valid JPK_FA(4) file by repeating the invoices and lines of a
small valid one (the schema checks structure, not control sums).

  make_large_jpk.py SAMPLE.xml OUT.xml --mb 1024
"""
import argparse, re

ap = argparse.ArgumentParser()
ap.add_argument("sample")
ap.add_argument("out")
ap.add_argument("--mb", type=int, default=1024)
a = ap.parse_args()
text = open(a.sample, encoding="utf-8").read()
invoices = "".join(re.findall(r"  <Faktura>.*?</Faktura>\n", text, re.S))
lines = "".join(re.findall(r"  <FakturaWiersz>.*?</FakturaWiersz>\n", text, re.S))
head = text[: text.index("  <Faktura>")]
ctrl = re.search(r"  <FakturaCtrl>.*?</FakturaCtrl>\n", text, re.S).group(0)
mid_end = text.index("  <FakturaWierszCtrl>")
tail = text[mid_end:]
target = a.mb * 1024 * 1024
half = target // 2
with open(a.out, "w", encoding="utf-8") as f:
    f.write(head)
    n = 0
    while n < half:
        f.write(invoices)
        n += len(invoices)
    f.write(ctrl)
    n = 0
    while n < half:
        f.write(lines)
        n += len(lines)
    f.write(tail)
