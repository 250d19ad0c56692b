#!/usr/bin/env python3
"""Writes numbers.tsv: random expressions over CUSTOMER.DBF that stress the number model (the
places and decimals that STR() prints, VAL(), the arithmetic operators, ** and ^, unary minus,
ROUND, INT, ABS, MIN, MAX, MOD, IIF, folded literals) with the independent engine's answer on
every record.

    python3 make_numbers.py <answers program> [count]

<answers program> is answers.prg built with that engine (see README.md). Each numeric expression
is first shown on one record by that engine; the logical expression around it then compares its
STR() text, length or value with what the engine showed there, so that a wrong width, decimal
count or digit changes the answer on many records. The seed is fixed: a rerun gives the same file.
"""
import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "CUSTOMER.DBF")
rnd = random.Random(26)

FIELDS = ["CUSTNO", "BALANCE"]
INT_FUNCS = ["RECNO()", "LEN(TRIM(NAME))", 'AT("a", NAME)', "ASC(NAME)", "YEAR(JOINED)",
             "MONTH(JOINED)", "DAY(JOINED)", "DOW(JOINED)", '(JOINED - STOD("20000101"))', "LEN(NOTE)"]
VAL_TEXTS = ['" 12.5"', '"15.0"', '"-3"', '" 200 "', '".5"', '"-.25"', '"1234567890.25"', '"abc"',
             '""', '"7."', '"1.2.3"', '"12345678901"', '"  1.5  "', '"0042"', '"9999999999"',
             "NOTE", "STR(BALANCE)", "SUBSTR(NOTE, 1, 5)", "STR(CUSTNO, 8, 2)", "LTRIM(STR(BALANCE))",
             "DTOS(JOINED)", "RIGHT(DTOS(JOINED), 4)", "STR(BALANCE, 12, 4)", "TRIM(CITY)",
             "STR(RECNO() / 7, 9, 3)", "SUBSTR(STR(BALANCE), 3)"]


def int_literal():
    k = rnd.random()
    if k < 0.45:
        return str(rnd.randint(0, 99))
    if k < 0.7:
        return str(rnd.randint(100, 999999))
    if k < 0.85:
        return str(rnd.choice([999999999, 1000000000, 2147483647, 2147483648, 5000000000,
                               9999999999, 10000000000, 1234567890, 99999, 100000]))
    if k < 0.95:
        return str(rnd.randint(10 ** 9, 10 ** 13))
    return rnd.choice(["123456789012345678", "9223372036854775807", "99999999999999999999", "0007"])


def dec_literal():
    whole = rnd.choice(["0", "1", "2", "12", "123", "999999999", "1000000000", "12345678901", ""])
    if whole == "":
        return "." + str(rnd.randint(1, 99))
    return whole + "." + "".join(rnd.choice("0123456789") for _ in range(rnd.randint(1, 4)))


def atom():
    k = rnd.random()
    if k < 0.25:
        return rnd.choice(FIELDS)
    if k < 0.4:
        return rnd.choice(INT_FUNCS)
    if k < 0.52:
        return "VAL(%s)" % rnd.choice(VAL_TEXTS)
    if k < 0.8:
        return int_literal()
    return dec_literal()


def number(depth):
    if depth <= 0 or rnd.random() < 0.25:
        return atom()
    k = rnd.random()
    a = number(depth - 1)
    if k < 0.45:
        op = rnd.choice(["+", "-", "*", "/", "%", "**", "^", "*", "+", "-"])
        b = number(depth - 1)
        if op in ("**", "^") and rnd.random() < 0.7:
            b = rnd.choice(["2", "3", "0.5", "-1", "0", "10", "1.5", "2.0", "-2"])
        return "(%s %s %s)" % (a, op, b)
    if k < 0.55:
        return "-" + (a if a[0] == "(" or a[0].isalpha() else "(%s)" % a)
    if k < 0.65:
        return "ROUND(%s, %d)" % (a, rnd.randint(-2, 4))
    if k < 0.72:
        return "INT(%s)" % a
    if k < 0.79:
        return "ABS(%s)" % a
    if k < 0.86:
        return "%s(%s, %s)" % (rnd.choice(["MIN", "MAX"]), a, number(depth - 1))
    if k < 0.93:
        cond = rnd.choice(["ACTIVE", "DELETED()", ".T.", ".F.", "CUSTNO > 500000", "BALANCE < 0"])
        return "IIF(%s, %s, %s)" % (cond, a, number(depth - 1))
    return "MOD(%s, %s)" % (a, rnd.choice(["7", "-3", "2.5", "0", "CUSTNO", "BALANCE", "1000"]))


# Fixed cases first: each number is asked both its STR() text and its length, as shown on record
# 2; then logical expressions taken as they are (unordered comparisons, the operators' syntax).
EDGE_NUMBERS = [
    'VAL("15.0")', 'VAL(" 200 ")', 'VAL(".5")', 'VAL("-.5")', 'VAL("5.")', 'VAL("")', 'VAL("abc")',
    'VAL("  1.5  ")', 'VAL("1.2.3")', 'VAL("12345678901")', 'VAL("1234567890.5")', 'VAL(SPACE(11))',
    "4/2", "100/10", "2/4", "4.0/2", "-3%2", "7%-2", "7.5%2", "7%0", "7/0", "-MONTH(JOINED)",
    "5000000000", "1234567890*1234567890", "999999999+1", "-999999999-1", "1000000000", "-1000000000",
    "99999*99999", "9223372036854775807", "99999999999999999999", "12345678901.5", "0000000000001.5",
    "-123456789012.5", "-0.0", "1.5*2.25", "CUSTNO*CUSTNO", "CUSTNO*CUSTNO*CUSTNO", "CUSTNO/1",
    "CUSTNO%7", "-CUSTNO", "-BALANCE", "CUSTNO*0+1000000000", "CUSTNO*0-1000000000",
    "CUSTNO*0+9999999999.5", "CUSTNO*0-999999999.5", "2**3", "2^3^2", "-2^2", "2^-1", "10^10",
    "CUSTNO^2", "BALANCE**3", "(CUSTNO*0-1)^0.5", "(BALANCE*0)^-1", "(CUSTNO*0+10)^20",
    "LEN(NAME)*1000000000", 'LEN("ab")*1000000000', 'ASC("a")*100000000', "INT(2.7)*1000000000",
    "MIN(2,3)*1000000000", "IIF(.T.,2,3)*1000000000", "ABS(-2)*1000000000", "ROUND(2,0)*1000000000",
    "ROUND(BALANCE,1)", "ROUND(BALANCE,0)", "ROUND(CUSTNO,2)", "ROUND(CUSTNO,0)", "ROUND(BALANCE,-1)",
    "INT(BALANCE)", "INT(-BALANCE)", 'INT(VAL(".75"))', "INT(1000000000.98)", "ABS(BALANCE)",
    "ABS(CUSTNO)", 'ABS(VAL("-12"))', "ABS(CUSTNO*0-1000000000)", "MAX(5, 5.0)", "MAX(5.0, 5)",
    "MIN(5, 5.0)", "MIN(5.0, 5)", "MAX(CUSTNO, BALANCE)", "IIF(ACTIVE, CUSTNO, BALANCE)",
    "MOD(CUSTNO,7)", "MOD(7,0)", "MOD(BALANCE,0)", "MOD(-7,3)", "RECNO()", "YEAR(JOINED)",
    "DAY(JOINED)", "JOINED-JOINED", "1/3*3", "0.1+0.2", "ROUND(2.675, 2)", "-(0.5156)",
    'LEN("a"+"b")*1000000000', 'LEN("a"-"b")*1000000000', "ASC(CHR(65))*100000000",
    'LEN(LOWER("ab"))*1000000000', "IIF(1<2, 2, 3)*1000000000", 'IIF("a"="ab", 2, 3)*1000000000',
    'IIF("a"=="a", 2, 3)*1000000000', 'IIF("a"<"b", 2, 3)*1000000000',
    "IIF(.F. .AND. RECNO()>0, 2, 3)*1000000000", "IIF(RECNO()>0 .AND. .F., 2, 3)*1000000000",
    'IIF(EMPTY(CTOD("")), 2, 3)*1000000000', "(1.4995 - 76) - (95 ** 0.5)", "(2/4)*1.5", "(2/4)+1.2345",
    "-(2/4)*1.5", "(4/2)*1.5", ".73 * (1000 % (972 ** 1.5))", 'CUSTNO * (JOINED - STOD("20000101"))',
    '(JOINED - STOD("20000101")) * 400000', '-(JOINED - STOD("20000101")) * 400000',
    'ABS(JOINED - STOD("20000101")) * 400000', '((JOINED - STOD("20000101")) - 1) * 400000',
    "9223372036854775807 % CUSTNO", "ABS(ROUND((BALANCE - 999999999.3386), -2))", "ABS(-(1000000000.180))",
]
EDGE_LOGICALS = [
    "(BALANCE ** 0.5) = (BALANCE ** 0.5)", "(BALANCE ** 0.5) != 5", "(BALANCE ** 0.5) >= 5",
    "(BALANCE ** 0.5) <= 5", "MAX(BALANCE ** 0.5, 1) = 1", "MIN(1, BALANCE ** 0.5) = 1",
    "RECNO() = 1.AND..T.", "1. = 1", "2 ** \"a\" = 1", "2 ^ = 1", "2 ^^ 3 = 1", "2 * * 3 = 6",
    "-2 ** 2 = 4", "2 ** 3 ** 2 = 64", "STR(1.5, 5, 10) = \"*\"", "STR(-0.4, 3) = \"  0\"",
    "STR(1/3, 30, 25) > STR(1/3)", "STRZERO(-BALANCE) < \"0\"",
]


def esc(s):
    return '"%s"' % s if '"' not in s else "'%s'" % s


def wrap(n, shown):
    """A logical expression around numeric expression n; shown is the engine's STR(n) on one
    record (None when it failed there)."""
    k = rnd.random()
    if shown is None or k < 0.12:
        return rnd.choice(["%s > %s" % (n, rnd.choice(["0", "100", "-5.5", "1000000"])),
                           "%s = %s" % (n, number(1)), "EMPTY(%s)" % n])
    if k < 0.40:
        return "STR(%s) %s %s" % (n, rnd.choice([">=", "<=", "=", "=="]), esc(shown))
    if k < 0.52:
        return "LEN(STR(%s)) = %d" % (n, len(shown))
    if k < 0.62:
        return "LTRIM(STR(%s)) == %s" % (n, esc(shown.strip()))
    if k < 0.70:
        return 'AT(".", STR(%s)) = %d' % (n, shown.find(".") + 1)
    if k < 0.78:
        return "VAL(STR(%s)) = %s" % (n, n)
    if k < 0.84:
        return "STR(%s, %d, %d) %s %s" % (n, rnd.randint(6, 24), rnd.randint(0, 5), rnd.choice([">=", "<"]), esc(shown))
    if k < 0.90:
        return "STRZERO(%s) >= %s" % (n, esc(shown.replace(" ", "0")))
    if k < 0.95:
        return "PADL(%s, 14) >= %s" % (n, esc(shown.strip().rjust(14)))
    return '"*" $ STR(%s)' % n


def run(program, lines, *args):
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False, encoding="latin-1") as f:
        f.write("\n".join(lines) + "\n")
        name = f.name
    try:
        out = subprocess.run([program, TABLE, name] + list(args), check=True, capture_output=True).stdout
    finally:
        os.unlink(name)
    return out.decode("latin-1").split("\n")[:-1]


def main():
    program = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 2100
    candidates = []
    while len(candidates) < count * 3 // 2:
        n = number(rnd.randint(1, 3))
        if len(n) <= 200 and n not in candidates:
            candidates.append(n)
    # Shown on every record; a number that STR() prints with 15 significant digits or more on
    # any of them is left out (there the engine's last digit is not modelled).
    shown = run(program, ["STR(%s)" % n for n in candidates], "show", *[str(r) for r in range(1, 501)])
    exprs = []
    for n, line in zip(candidates, shown):
        values = [p[2:-1] for p in line.split("\t")[1:] if p.startswith("C[")]
        if any(len(v.replace("-", "").replace(".", "").strip().lstrip("0")) > 14 for v in values):
            continue
        exprs.append(wrap(n, rnd.choice(values) if values else None))
        if len(exprs) == count:
            break
    edges = run(program, ["STR(%s)" % n for n in EDGE_NUMBERS], "show", "2")
    for n, line in zip(EDGE_NUMBERS, edges):
        v = line.split("\t")[1][2:-1]
        exprs[:0] = ["STR(%s) == %s" % (n, esc(v)), "LEN(STR(%s)) = %d" % (n, len(v))]
    out = run(program, EDGE_LOGICALS + exprs, "mask")
    with open(os.path.join(HERE, "numbers.tsv"), "w", encoding="latin-1", newline="\n") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
