#!/usr/bin/env python3
"""A synthetic sales export in the layout of the program's own example (data/demo): a header
block, invoices with their lines, advance invoices with their orders, exempt sales and
corrections, and the settings file that reads it. The data are consistent as a tax auditor
reads them: valid tax numbers, sums to the grosz, each rate's lines adding up to its net.

  make_export.py OUTDIR [--invoices N] [--style pl|iso] [--orders-every M] [--seed S] [--expect]

--style pl : Windows-1250, ';' between fields, decimal comma, DD-MM-RRRR dates (the example's)
--style iso: UTF-8 with a BOM, '|' between fields, decimal point, RRRR-MM-DD dates
Writes OUTDIR/dane.txt and OUTDIR/JPK_FA3_Ustawienia.ini, and prints
"OUTDIR: N invoices, M invoice lines, K orders". --expect also writes OUTDIR/expected.json: the
header and the records the import must give, in the form of export-json (nulls left out).
The output depends only on the arguments.
"""
import argparse
import json
import os
import random

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SETTINGS = os.path.join(ROOT, "data", "demo", "JPK_FA3_Ustawienia.ini")

SELLER = "Hurtownia Mazowsze Sp. z o.o."
SELLER_ADDRESS = "ul. Marszałkowska 12/3, 00-001 Warszawa"
SELLER_NIP = "5261040828"
HEADER = [("DataOd", "2023-08-01"), ("DataDo", "2023-08-31"), ("KodUrzedu", "1471"), ("NIP", SELLER_NIP),
          ("PelnaNazwa", SELLER), ("KodKraju", "PL"), ("Wojewodztwo", "mazowieckie"), ("Powiat", "Warszawa"),
          ("Gmina", "Warszawa"), ("Ulica", "Marszałkowska"), ("NrDomu", "12"), ("NrLokalu", "3"),
          ("Miejscowosc", "Warszawa"), ("KodPocztowy", "00-001")]
BUYERS = ["Zakład Stolarski Dąb Jan Nowak", "Kwiaciarnia Różany Ogród s.c.", "Restauracja Pod Lipami Sp. z o.o.",
          "Piekarnia Złoty Kłos", "Biuro Rachunkowe Żak i Wspólnicy", "Szkoła Językowa Ćma", "Hotel Śnieżka"]
GOODS = [("Płyta meblowa 18 mm", "szt."), ("Wkręty do drewna 4x40", "opak."), ("Nawóz do roślin", "kg"),
         ("Farba akrylowa biała", "l"), ("Zawias meblowy", "szt."), ("Usługa transportowa", "usł.")]
RATES = [23, 23, 23, 8, 5]  # the rates of ordinary lines, the common one most often
SLOT = {23: ("P_13_1", "P_14_1"), 8: ("P_13_2", "P_14_2"), 5: ("P_13_3", "P_14_3")}


def tax_number(rng):
    """A ten-digit NIP with its check digit (weights 6 5 7 2 3 4 5 6 7, the sum mod 11)."""
    weights = [6, 5, 7, 2, 3, 4, 5, 6, 7]
    while True:
        digits = [rng.randint(1, 9)] + [rng.randint(0, 9) for _ in range(8)]
        check = sum(w * d for w, d in zip(weights, digits)) % 11
        if check < 10 and len(set(digits)) > 1:
            return "".join(map(str, digits)) + str(check)


def vat(net, rate):
    """The tax of a net amount in grosze, a half grosz rounded away from zero."""
    tax = (abs(net) * rate + 50) // 100
    return tax if net >= 0 else -tax


class Writer:
    def __init__(self, style):
        self.iso = style == "iso"
        self.sep = "|" if self.iso else ";"

    def money(self, grosze):
        sign = "-" if grosze < 0 else ""
        text = "%s%d.%02d" % (sign, abs(grosze) // 100, abs(grosze) % 100)
        return text if self.iso else text.replace(".", ",")

    def date(self, day):
        return "2023-08-%02d" % day if self.iso else "%02d-08-2023" % day

    def line(self, fields):
        return self.sep.join(fields)


def invoice(rng, n, serial, kind, w):
    """One invoice: (its export lines, its record, its line records, its order or None)."""
    day = 1 + (n * 7) % 31
    number = "%s/%d/08/2023" % ("KOR" if kind == "KOREKTA" else "FV", serial)
    buyer = rng.choice(BUYERS)
    record = {"KodWaluty": "PLN", "P_1": "2023-08-%02d" % day, "P_2A": number, "P_3A": buyer,
              "P_3B": "ul. Polna %d, 05-500 Piaseczno" % rng.randint(1, 99), "P_3C": SELLER, "P_3D": SELLER_ADDRESS,
              "P_4A": "PL", "P_4B": SELLER_NIP, "P_5A": "PL", "P_5B": tax_number(rng), "P_6": "2023-08-%02d" % day,
              "P_16": False, "P_18A": False, "P_19": False, "RodzajFaktury": "ZAL" if kind == "ZAL" else
              "KOREKTA" if kind == "KOREKTA" else "VAT"}
    lines, order = [], None
    sums = {}
    if kind == "ZAL":
        # the order: what will be sold; the advance invoice shows what was paid
        order_lines, order_value = [], 0
        for _ in range(rng.randint(1, 3)):
            name, unit = rng.choice(GOODS)
            quantity, price = rng.randint(1, 20), rng.randint(100, 50000)
            net = quantity * price
            tax = vat(net, 23)
            order_value += net + tax
            order_lines.append({"P_7Z": name, "P_8AZ": unit, "P_8BZ": quantity, "P_9AZ": price / 100,
                                "P_11NettoZ": net / 100, "P_11VatZ": tax / 100, "P_12Z": "23"})
        order = {"P_2AZ": number, "WartoscZamowienia": order_value / 100, "lines": order_lines}
        net = order_value // 2 * 100 // 123  # about half the order paid in advance
        sums[23] = [net, vat(net, 23)]
    elif kind == "ZW":
        name, unit = "Szkolenie BHP dla pracowników", "usł."
        quantity, price = 1, rng.randint(10000, 90000)
        lines.append({"P_7": name, "P_8A": unit, "P_8B": quantity, "P_9A": price / 100,
                      "P_11": quantity * price / 100, "P_12": "zw"})
        record.update({"P_13_7": quantity * price / 100, "P_19": True,
                       "P_19A": "art. 43 ust. 1 pkt 29 lit. c ustawy o VAT"})
        sums["zw"] = [quantity * price, 0]
    else:
        sign = -1 if kind == "KOREKTA" else 1
        for _ in range(1 if kind == "KOREKTA" else rng.randint(1, 5)):
            name, unit = rng.choice(GOODS)
            rate = rng.choice(RATES)
            quantity, price = rng.randint(1, 40), sign * rng.randint(99, 99999)
            net = quantity * price
            lines.append({"P_7": name, "P_8A": unit, "P_8B": quantity, "P_9A": price / 100, "P_11": net / 100,
                          "P_12": str(rate)})
            sums.setdefault(rate, [0, 0])[0] += net
        for rate, pair in sums.items():
            pair[1] = vat(pair[0], rate)
        if kind == "KOREKTA":
            record.update({"PrzyczynaKorekty": "Rabat udzielony po sprzedaży",
                           "NrFaKorygowanej": "FV/%d/07/2023" % n, "OkresFaKorygowanej": "07/2023"})
    total = 0
    for rate, (net, tax) in sums.items():
        total += net + tax
        if rate != "zw":
            record[SLOT[rate][0]] = net / 100
            record[SLOT[rate][1]] = tax / 100
    record["P_15"] = total / 100

    def amount(key):
        return w.money(round(record[key] * 100)) if key in record else ""

    def flag(key):
        return "TAK" if record.get(key) else "NIE"

    fields = ["FAK", number, w.date(day), w.date(day), "", buyer, record["P_3B"], SELLER, SELLER_ADDRESS, "PL",
              SELLER_NIP, "PL", record["P_5B"]]
    fields += [amount(k) for k in ("P_13_1", "P_14_1", "P_13_2", "P_14_2", "P_13_3", "P_14_3", "P_13_6", "P_13_7",
                                   "P_15")]
    fields += [flag("P_16"), flag("P_18A"), flag("P_19"), record.get("P_19A", ""), record["RodzajFaktury"],
               record.get("PrzyczynaKorekty", ""), record.get("NrFaKorygowanej", ""),
               record.get("OkresFaKorygowanej", ""), ""]
    text = [w.line(fields)]
    for l in lines:
        l["P_2B"] = number
        text.append(w.line(["POZ", l["P_7"], l["P_8A"], str(l["P_8B"]), w.money(round(l["P_9A"] * 100)),
                            w.money(round(l["P_11"] * 100)), l["P_12"]]))
    if kind == "ZAL":
        # the advance's own line: what was paid for
        lines.append({"P_2B": number, "P_7": "Zaliczka na zamówienie", "P_8A": "usł.", "P_8B": 1,
                      "P_9A": sums[23][0] / 100, "P_11": sums[23][0] / 100, "P_12": "23"})
        text.append(w.line(["POZ", "Zaliczka na zamówienie", "usł.", "1", w.money(sums[23][0]),
                            w.money(sums[23][0]), "23"]))
    return text, record, lines, order


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("outdir")
    parser.add_argument("--invoices", type=int, default=100)
    parser.add_argument("--style", choices=["pl", "iso"], default="pl")
    parser.add_argument("--orders-every", type=int, default=12)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--expect", action="store_true")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    w = Writer(args.style)
    os.makedirs(args.outdir, exist_ok=True)

    text = ["*JPK_FK(4)* eksport sprzedaży – sierpień 2023", "[Naglowek_Start]",
            w.line([w.date(1), w.date(31)] + [v for _, v in HEADER[2:]]), "[Faktury]"]
    invoices, lines, orders, order_lines = [], [], [], []
    serials = {"FV": 0, "KOR": 0}  # each series without gaps
    for n in range(1, args.invoices + 1):
        kind = ("ZAL" if n % args.orders_every == 0 else "KOREKTA" if n % 25 == 7 else "ZW" if n % 10 == 3
                else "VAT")
        series = "KOR" if kind == "KOREKTA" else "FV"
        serials[series] += 1
        block, record, its_lines, order = invoice(rng, n, serials[series], kind, w)
        text += block + [""]
        invoices.append(record)
        lines += its_lines
        if order:
            orders.append(order)
    text.append("[Faktury_Koniec]")
    text.append("[Zamowienia]")
    for idx, order in enumerate(orders, 1):
        text.append(w.line(["ZAM", order["P_2AZ"], w.money(round(order["WartoscZamowienia"] * 100))]))
        for l in order["lines"]:
            text.append(w.line(["POZ", l["P_7Z"], l["P_8AZ"], str(l["P_8BZ"]), w.money(round(l["P_9AZ"] * 100)),
                                w.money(round(l["P_11NettoZ"] * 100)), w.money(round(l["P_11VatZ"] * 100)),
                                l["P_12Z"]]))
            order_lines.append(dict(l, idx_zal=idx))
        text.append("")
    text.append("[Zamowienia_Koniec]")
    body = "\r\n".join(text) + "\r\n"
    with open(os.path.join(args.outdir, "dane.txt"), "wb") as f:
        f.write(b"\xef\xbb\xbf" + body.encode("utf-8") if w.iso else body.encode("cp1250"))

    # the example's settings, with the style's options
    with open(SETTINGS, "rb") as f:
        settings = f.read().decode("cp1250")
    options = {"cb_separator_ItemIndex": "1" if w.iso else "2", "cb_koma_ItemIndex": "1" if w.iso else "0",
               "cb_data_ItemIndex": "1" if w.iso else "0", "cb_PL_ItemIndex": "1" if w.iso else "0",
               "fn_JPK_Text": "JPK_FA4.xml"}
    out = []
    for row in settings.split("\n"):  # each line keeps its own end
        key = row.split("=", 1)[0]
        end = "\r" if row.endswith("\r") else ""
        out.append("%s=%s%s" % (key, options[key], end) if key in options else row)
    with open(os.path.join(args.outdir, "JPK_FA3_Ustawienia.ini"), "wb") as f:
        f.write("\n".join(out).encode("cp1250"))

    if args.expect:
        expected = {"header": dict(HEADER), "mt_FAK_": invoices, "mt_POZ_": lines,
                    "mt_ZAM_": [{"idx": i, "P_2AZ": o["P_2AZ"], "WartoscZamowienia": o["WartoscZamowienia"]}
                                for i, o in enumerate(orders, 1)],
                    "mt_ZPOZ_": order_lines}
        with open(os.path.join(args.outdir, "expected.json"), "w", encoding="utf-8") as f:
            json.dump(expected, f, ensure_ascii=False, indent=1)
    print("%s: %d invoices, %d invoice lines, %d orders" % (args.outdir, len(invoices), len(lines), len(orders)))


if __name__ == "__main__":
    main()
