#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz harness into fuzz/corpus/<harness>/.

The seeds are the program's own statements and the tests' fixtures, laid out
the way each harness takes its input apart (FuzzedDataProvider: strings from
the front, integers from the back, most significant byte last)."""
import hashlib
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def write(harness, data):
    folder = os.path.join(HERE, "corpus", harness)
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


class Provider:
    """Builds an input for FuzzedDataProvider, consumption by consumption."""

    def __init__(self):
        self.front = b""
        self.back = b""  # in consumption order; reversed at the end

    def integral(self, value, low, high):
        span = high - low
        nbytes = 0
        while nbytes < 8 and (span >> (8 * nbytes)) > 0:
            nbytes += 1
        result = value - low
        self.back += bytes((result >> (8 * (nbytes - 1 - i))) & 0xFF for i in range(nbytes))

    def string(self, text):
        self.front += text.replace(b"\\", b"\\\\") + b"\\|"

    def data(self, remaining=b""):
        return self.front + remaining + self.back[::-1]


def real_bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def fixtures():
    """Small pedigree files: the example and the tests' shapes. (The real
    pedigrees beside the project are GPL data and stay out of the corpus.)"""
    peds = []
    with open(os.path.join(ROOT, "examples", "family.ped"), "rb") as f:
        peds.append(f.read())
    h = b"fam id fa mo sex trait\n"
    peds += [
        h,
        b"",
        h + b"1 2 1.5 0 1 3\n",
        h + b"6*1\n",
        h + b"1 1 0 0 1 5\n1 2 0 0 2 6\n1 3 1 2 1 7\n1 4 1 2 2 70\n1 5 1 2 1 7.5\n",
        h + b"1 1 0 0 3 5\n1 2 1 0 2 6\n1 2 0 1 1 NaN\n",
        b"'fam' \"id\" fa, mo, sex, 'trait name'\r\n1,1,0,0,1,5.\r\n1 2 0 0 2 -9\r\n1 3 1 2 1 1.5D2\r\n1 4 1 2 2 2*7\n",
        h + b"1 1 0 0 1 5 ! comment\n1 2 0 0 2 /\n1 3 1 2 1 inf\n1 4 1 2 2 -Infinity\n",
    ]
    return peds


def free_input():
    answers = [b"family.ped\n-9\n\n", b"'data/ped.txt' x\nNO\n\n", b"\"my ped\"\n999999.1\n",
               b"\n  \n0*abc\n", b"ped, 5 NO\n3*\n\n", b"abcdefghijklmnopqrstuvwxyz\n1.5e-45\nx"]
    for a in answers:
        for shape in (0, 1, 2, 5):
            write("free_input_fuzz", bytes([shape]) + a)
    for ped in fixtures():
        for shape in (3, 4, 6):
            write("free_input_fuzz", bytes([shape]) + ped)


def edited_output():
    header = ["N", "Min ", "Max ", "Mean ", "Var  ", "SibCorr"]
    statements = [
        ("('INPUT NAME of FILE WITH PEDIGREE DATA: ',$)", []),
        ("('INPUT CODE OF MISSING DATA (REAL OR INTEGER)'/\t'      OR \"NO\" FOR SAMPLE WITHOUT MISSING DATA: ',$)", []),
        ("(i5,i8)", [1, 102]),
        ("(i5,i8)", [123456, -2147483648]),
        ("(13x,a8,5(a15))", header),
        ("(a13,i8,5(f13.4,2x))", ["HEIGHT       ", 14, 155.1, 182.1, 170.5, 75.25, float("nan")]),
        ("(a14,E11.4,a13)", ["E(D2)        =", 61.3]),
        ("(a14,E11.4,a11)", ["SD(D2)       =", float("inf")]),
        ("(5a8,2a12,a11)", ["fam", "fa  ", "mo  ", "id_1 ", "id_2 ", "tr_1  ", "tr_2  ", "D2   "]),
        ("(5i8,2e12.4,e11.4)", [1, 101, 102, 110, 111, 173.5, 155.1, 338.56]),
        ("(5i8,2e12.4,e11.4)", [1, 101, 102, 110, 111, 173.5, 155.1, 338.56, 2, 201, 202, 210, 211, 1e-40, -3e38, 0.0]),
        ("(a,i6,a,i2)", ["Sex error in line", 12, ": sex ", 3]),
        ("('Sex error: Person',i6,' is ',a6,', but ',a6,' in line',i6)", [101, "female", "father", 7]),
        ("(3(a,i6))", ["a", 1, "b", 2, "c", 3, "d", 4]),
        ("(i3.2,f0.3,e9.2e3,2x,:'tail',/)", [7, 2.5, 1e10]),
        ("(a,i5", ["x", 1]),
        ("(i5)", [1.5]),
        ("()", [1]),
    ]
    for fmt, items in statements:
        p = Provider()
        p.integral(len(items), 0, 12)
        for item in items:
            if isinstance(item, str):
                p.integral(2, 0, 2)
                p.string(item.encode())
            elif isinstance(item, int):
                p.integral(0, 0, 2)
                p.integral(item, -2**31, 2**31 - 1)
            else:
                p.integral(1, 0, 2)
                p.integral(real_bits(item), 0, 2**32 - 1)
        write("edited_output_fuzz", p.data(fmt.encode()))


def number_fields():
    values = [0.0, -0.0, 1.0, 181.1, -155.1, 0.5, 999999.0, 1e-45, 1.17549435e-38,
              3.4028235e38, float("inf"), float("-inf"), float("nan"), 1e7, 9.99995e-7]
    widths = [(5, 0, -1), (8, 4, -1), (13, 4, -1), (11, 4, -1), (12, 4, 2), (1, 0, 0),
              (0, 0, -1), (300, 300, 300), (3, 1, 1)]
    for v in values:
        for w, d, e in widths:
            p = Provider()
            p.integral(real_bits(v), 0, 2**32 - 1)
            p.integral(w, -2, 300)
            p.integral(d, 0, 300)
            p.integral(e, -2, 300)
            write("number_fields_fuzz", p.data())


def run():
    answers = [b"ped\n-9\n\n", b"ped\nNO\n\n", b"ped\n", b"'ped' x\n0\n\n", b"nofile\n-9\n\n", b""]
    for i, ped in enumerate(fixtures()):
        for a in answers if i < 2 else answers[:2]:
            p = Provider()
            p.string(a)
            write("run_fuzz", p.data(ped))


if __name__ == "__main__":
    free_input()
    edited_output()
    number_fields()
    run()
