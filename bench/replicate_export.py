#!/usr/bin/env python3
"""Writes a large sales export from a smaller one without holding either in memory: the
header once, then the invoice block and the order block COPIES times each, the invoice
numbers of copy k made unique as FV<k>/… (copy 0 keeps its own). The generator keeps its
whole output in memory, so ten million invoices are made as ten copies of one million.

usage: replicate_export.py SRC DST COPIES   (the file's code page is kept: it is bytes)"""
import sys


def blocks(path):
    """The lines before the invoices, the invoices, those between, the orders, the rest."""
    parts = [[], [], [], [], []]
    part = 0
    with open(path, "rb") as f:
        for line in f:
            s = line.rstrip(b"\r\n")
            if s in (b"[Faktury_Koniec]", b"[Zamowienia_Koniec]"):
                part += 1
            parts[part].append(line)
            if s in (b"[Faktury]", b"[Zamowienia]"):
                part += 1
    return parts


def write_copies(out, lines, tag, copies):
    """The block COPIES times; in copy k > 0 each record line starting TAG;FV/ gets FV<k>/."""
    head = tag + b";FV/"
    for k in range(copies):
        prefix = tag + b";FV%d/" % k
        for line in lines:
            out.write(prefix + line[len(head):] if k and line.startswith(head) else line)


def main():
    src, dst, copies = sys.argv[1], sys.argv[2], int(sys.argv[3])
    head, invoices, middle, orders, rest = blocks(src)
    with open(dst, "wb") as out:
        out.writelines(head)
        write_copies(out, invoices, b"FAK", copies)
        out.writelines(middle)
        write_copies(out, orders, b"ZAM", copies)
        out.writelines(rest)


if __name__ == "__main__":
    main()
