#!/usr/bin/env python3
"""Writes a ZIP package of N FA(3) e-invoices of one seller, for the e-invoice import's
benchmark: each one the repository's ordinary sample with its own number, date, buyer
and one to four lines at 23%/8%/5%/0 WDT. Streams: memory does not grow with N.

usage: make_ksef_package.py OUT.zip N [--seller NIP]"""
import argparse
import os
import random
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = os.path.join(HERE, "..", "tests", "data", "ksef", "fa3_vat.xml")
RATES = [("23", 0.23, "1"), ("8", 0.08, "2"), ("5", 0.05, "3"), ("0 WDT", 0.0, "6_2")]
GOODS = ["Olej rzepakowy 5 l", "Mąka pszenna typ 650, 25 kg", "Śruby M8; ocynk", "Usługa serwisowa",
         "Żarówka LED 9W", "Papier A4 <80 g> & koperty"]


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def invoice(template, k, rng):
    head, rest = template.split("<FaWiersz>", 1)
    tail = rest[rest.rindex("</FaWiersz>") + len("</FaWiersz>"):]
    lines, sums = [], {}
    for n in range(rng.randint(1, 4)):
        code, rate, field = rng.choice(RATES)
        qty = rng.choice([1, 2, 5, 10, 0.5])
        price = round(rng.uniform(1, 500), 2)
        net = round(qty * price, 2)
        s = sums.setdefault(field, [0.0, 0.0])
        s[0] += net
        s[1] += round(net * rate, 2)
        lines.append(
            f"<FaWiersz>\n      <NrWierszaFa>{n + 1}</NrWierszaFa>\n      <P_7>{esc(rng.choice(GOODS))}</P_7>\n"
            f"      <P_8A>szt.</P_8A>\n      <P_8B>{qty}</P_8B>\n      <P_9A>{price:.2f}</P_9A>\n"
            f"      <P_11>{net:.2f}</P_11>\n      <P_12>{code}</P_12>\n    </FaWiersz>")
    amounts = ""
    for field in ["1", "2", "3", "6_2"]:
        if field in sums:
            net, tax = sums[field]
            amounts += f"<P_13_{field}>{net:.2f}</P_13_{field}>\n    "
            if field != "6_2":
                amounts += f"<P_14_{field}>{tax:.2f}</P_14_{field}>\n    "
    total = sum(a + b for a, b in sums.values())
    head = head[:head.index("<P_13_1>")] + amounts + f"<P_15>{total:.2f}</P_15>" + head[head.index("</P_15>") + 7:]
    day = 1 + k % 28
    head = head.replace("<P_2>FV/12/03/2026</P_2>", f"<P_2>FV/{k + 1}/03/2026</P_2>")
    head = head.replace("<P_1>2026-03-02</P_1>", f"<P_1>2026-03-{day:02d}</P_1>")
    head = head.replace("<P_6>2026-03-01</P_6>", f"<P_6>2026-03-{day:02d}</P_6>")
    head = head.replace("<NIP>7732204596</NIP>", f"<NIP>{7000000000 + rng.randint(0, 999999999)}</NIP>")
    return head + "\n    ".join(lines) + tail


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("n", type=int)
    ap.add_argument("--seed", type=int, default=7)
    a = ap.parse_args()
    with open(SAMPLE, encoding="utf-8") as f:
        template = f.read()
    rng = random.Random(a.seed)
    with zipfile.ZipFile(a.out, "w", zipfile.ZIP_DEFLATED) as z:
        for k in range(a.n):
            z.writestr(f"faktury/FV_{k + 1:07d}.xml", invoice(template, k, rng).encode("utf-8"))


if __name__ == "__main__":
    main()
