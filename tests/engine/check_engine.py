#!/usr/bin/python3
"""Drives the engine's command-line client (ace32probe.exe) under Wine and checks what the engine
answers: against expected.json, the answers that an independent engine gave for the fixture
tables and indexes, and against tables that python3-dbf writes and reads back. Then a hostile
pass: damaged files, foreign indexes, bad expressions and bad handles.
Usage: check_engine.py WINE_RUN PROBE_EXE DATA_DIR SCRATCH_DIR"""
import datetime, json, os, random, shutil, subprocess, sys
import dbf

wine_run, probe_exe, data, scratch = sys.argv[1:5]
passed = failed = 0


def check(ok, what):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print("FAIL:", what)


def win(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Probe:
    def __init__(self):
        self.answered = False
        self.start()

    def start(self):
        self.p = subprocess.Popen([wine_run, probe_exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def __call__(self, *args):
        line = "\t".join(str(a) for a in args).encode("cp437") + b"\n"
        # Under load a Wine process now and then ends before it runs at all: a probe that never
        # answered is started again (at most twice); one that died after answering is a failure.
        for attempt in range(3):
            try:
                self.p.stdin.write(line)
                self.p.stdin.flush()
                out = self.p.stdout.readline()
            except BrokenPipeError:
                out = b""
            if out or self.answered:
                break
            self.start()
        if not out:
            raise SystemExit("FAIL: the probe died on: %r" % line)
        self.answered = True
        return out.rstrip(b"\n").decode("cp437").split("\t")

    def handle(self, *args):
        code, h = self(*args)
        check(code == "0", "open %r: %s" % (args, code))
        return h

    def all(self, h, expr=".T."):
        code, found, end, recno, eof = self("all", h, expr)
        check(code == "0" and end == "0", "all %s %r: %s %s" % (h, expr, code, end))
        return [int(r) for r in found.split(",") if r], int(recno), eof == "T"


probe = Probe()
expected = json.load(open(os.path.join(data, "expected.json"), encoding="utf-8"))
visible = ".NOT. DELETED()"  # the independent engine's SET DELETED ON, as a filter


def table(name):
    return probe.handle("open", win(os.path.join(data, name)))


# ---- header facts and every row -------------------------------------------------------------
customer = table("CUSTOMER.DBF")
for name, facts in (("CUSTOMER.DBF", expected["customer"]), ("EMPTY.DBF", expected["empty_table"])):
    h = customer if name == "CUSTOMER.DBF" else table(name)
    want = "records %d|header %d|recordsize %d|" % (facts["lastrec"], facts["header_size"], facts["record_size"])
    want += "".join("field %s %s %d %d|" % tuple(f) for f in facts["fields"])
    check(probe("describe", h) == ["0", want], "describe " + name)

rows = expected["rows"]
columns = rows["columns"][2:9]
answer = probe("rows", customer, "DELETED()", *columns)
records = [r.split("\t") for r in "\t".join(answer).split("\x1e")[1:-1]]
check(len(records) == len(rows["data"]), "row count")
for got, row in zip(records, rows["data"]):
    recno, deleted, custno, name, city, joined, active, balance, note = row[:9]
    want = [str(recno), "T" if deleted else "F", str(custno), name, city, joined or " " * 8,
            "T" if active else "F"]
    check(got[:7] == want and abs(float(got[7]) - balance) < 0.005 and got[8] == note, "row %d: %r" % (recno, got))

# ---- index orders, seeks --------------------------------------------------------------------
indexes = {}
for ix in expected["indexes"]:
    t = customer if ix["table"] == "CUSTOMER.DBF" else table(ix["table"])
    h = probe.handle("index", t, win(os.path.join(data, ix["file"])))
    indexes[ix["file"]] = (t, h)
    raw = ix["raw_header"]
    want = "key %s|keysize %d|decimals %d|unique %d|descending %d|" % (
        raw["key_expr"], raw["key_size"], raw["key_decimals"], raw["unique_byte_278"], raw["descend_byte_280"])
    check(probe("describe", h) == ["0", want], "describe " + ix["file"])
    for mode, flt in (("off", ""), ("on", visible)):
        probe("filter", t, flt)
        check(probe.all(h)[0] == ix["order_recnos_deleted_" + mode], "order of %s, deleted %s" % (ix["file"], mode))
    probe("filter", t, "")

for s in expected["seeks"]:
    t, h = indexes[s["index"]]
    for case in s["cases"]:
        key = case["key"] if isinstance(case["key"], str) else repr(case["key"])
        for mode, flt in (("off", ""), ("on", visible)):
            probe("filter", t, flt)
            for kind, seek_type in (("hard", 2), ("soft", 1)):
                want = case["%s_deleted_%s" % (kind, mode)]
                got = probe("seek", h, key, len(key), seek_type)
                check(got == ["0", "1" if want["found"] else "0", str(want["recno"]), "T" if want["eof"] else "F"],
                      "seek %s %r %s deleted %s: %r" % (s["index"], key, kind, mode, got))
    probe("filter", t, "")

# ---- filters and locate/continue, in natural and CUSTNAME order -----------------------------
custname = indexes["CUSTNAME.NTX"][1]
for f in expected["filters"]:
    for mode, flt in (("off", f["expr"]), ("on", "(%s) .AND. %s" % (f["expr"], visible))):
        check(probe("filter", customer, flt) == ["0"], "filter " + flt)
        for order, h in (("natural", customer), ("custname", custname)):
            check(probe.all(h)[0] == f["%s_deleted_%s" % (order, mode)], "filter %r %s deleted %s" % (f["expr"], order, mode))
probe("filter", customer, "")
for loc in expected["locates"]:
    for mode in ("off", "on"):
        probe("filter", customer, visible if mode == "on" else "")
        for order, h in (("natural", customer), ("custname", custname)):
            want = loc["%s_deleted_%s" % (order, mode)]
            check(probe.all(h, loc["expr"]) == (want["found"], want["final_recno"], want["final_eof"]),
                  "locate %r %s deleted %s" % (loc["expr"], order, mode))
probe("filter", customer, "")
empty = indexes["EMPTYNAME.NTX"][0]
want = expected["empty_table"]["locate_true"]
check(probe.all(empty) == (want["found"], want["final_recno"], want["final_eof"]), "locate in the empty table")

# Continue goes on in the order of its locate, even after a seek in another order moved the table.
check(probe("locate", customer, 'CITY = "Lon"')[:3] == ["0", "1", "19"], "first London")
check(probe("seek", custname, "SMITH", 5, 2)[:3] == ["0", "1", "13"], "seek between locate and continue")
check(probe("continue", customer)[:3] == ["0", "1", "19"], "continue after record 13 in natural order")
check(probe("locate", custname, 'CITY = "Lon"')[:3] == ["0", "1", "241"], "first London by name")
probe("seek", indexes["CUSTNO.NTX"][1], "12", 2, 2)
check(probe("continue", custname)[:3] == ["0", "1", "93"], "continue by name after a seek by number")

# ---- tables written by python3-dbf ------------------------------------------------------------
shutil.rmtree(scratch, ignore_errors=True)
os.makedirs(scratch)
gen = os.path.join(scratch, "GEN.DBF")
fields = "NAME C(12); QTY N(8,2); RATE F(10,3); BORN D; OK L; NOTES M; CNT N(5,0); WIDE C(300)"
rnd = random.Random(12)
made = dbf.Table(gen, fields, dbf_type="clp")
made.open(dbf.READ_WRITE)
made.append(("", None, None, None, None, "", None, ""))
for i in range(60):
    made.append(("".join(rnd.choice("abcXYZ 09-") for _ in range(rnd.randint(1, 12))),
                 round(rnd.uniform(-9999, 99999), 2), round(rnd.uniform(-9999, 9999), 3),
                 datetime.date(rnd.randint(1800, 2200), rnd.randint(1, 12), rnd.randint(1, 28)),
                 rnd.random() < 0.5, "memo %d" % i, rnd.randint(-9999, 99999), "w%d" % i * 40))
for r in made[5:9]:
    dbf.delete(r)
made.close()
made.open(dbf.READ_ONLY)
g = probe.handle("open", win(gen))
want = "field NAME C 12 0|field QTY N 8 2|field RATE F 10 3|field BORN D 8 0|field OK L 1 0|field NOTES M 10 0|" \
       "field CNT N 5 0|field WIDE C 300 0|"
check(probe("describe", g)[1].endswith(want), "fields of a python3-dbf table: " + probe("describe", g)[1])
names = ["NAME", "QTY", "RATE", "DTOS(BORN)", "OK", "CNT", "TRIM(WIDE)", "DELETED()", "NOTES"]
got = [r.split("\t") for r in "\t".join(probe("rows", g, *names)).split("\x1e")[1:-1]]
check(len(got) == len(made), "record count of a python3-dbf table")
for n, (rec, row) in enumerate(zip(made, got), 1):
    def num(v):
        return 0.0 if v is None else float(v)
    want_row = [str(n), (rec.name or "").ljust(12)]
    ok = row[:2] == want_row and abs(float(row[2]) - num(rec.qty)) < 0.005 and abs(float(row[3]) - num(rec.rate)) < 0.0005
    ok = ok and row[4] == (rec.born.strftime("%Y%m%d") if rec.born else " " * 8) and row[5] == ("T" if rec.ok else "F")
    ok = ok and float(row[6]) == num(rec.cnt) and row[7] == rec.wide.rstrip() and row[8] == ("T" if dbf.is_deleted(rec) else "F")
    ok = ok and row[9] == (rec.notes or "")
    check(ok, "python3-dbf record %d: %r" % (n, row))
made.close()

def damaged(name, data_bytes):
    path = os.path.join(scratch, name)
    open(path, "wb").write(data_bytes)
    return win(path)

# ---- memo files missing or damaged: an error only for the expressions that name a memo ------
notes_dbf = open(os.path.join(data, "NOTES.DBF"), "rb").read()
notes_dbt = open(os.path.join(data, "NOTES.DBT"), "rb").read()
first = int.from_bytes(notes_dbf[8:10], "little") + 1 + 3 + 10  # record 1's memo field
size = int.from_bytes(notes_dbf[10:12], "little")


def with_block(block):  # NOTES.DBF with record 2's memo block number replaced
    at = first + size
    return notes_dbf[:at] + block.rjust(10) + notes_dbf[at + 10:]


for name, table_bytes, memo_bytes, code, where in [
        ("NODBT", notes_dbf, None, "1013", "parse"), ("SHORTDBT", notes_dbf, notes_dbt[:511], "1014", "parse"),
        ("PAST", with_block(b"%d" % (len(notes_dbt) // 512 + 1)), notes_dbt, "1014", "record 2"),
        ("LETTERS", with_block(b"1x"), notes_dbt, "1014", "record 2"), ("SIGN", with_block(b"-1"), notes_dbt, "1014", "record 2")]:
    path = damaged(name + ".DBF", table_bytes)
    if memo_bytes is not None:
        damaged(name + ".DBT", memo_bytes)
    h = probe.handle("open", path)
    check(probe("filter", h, "NO > 1") == ["0"] and probe.all(h)[0] == list(range(2, 16)), "%s: no memo named" % name)
    probe("filter", h, "")
    if where == "parse":  # refused when the filter is set, not on some later record
        check(probe("filter", h, '"urgent" $ NOTES') == [code], "%s: a memo filter" % name)
    got = probe("locate", h, '"urgent" $ NOTES')
    check(got[0] == (code if where == "parse" else "1014"), "%s: a memo named: %r" % (name, got))
    probe("locate", h, "RECNO() = 1")
    check(probe("eval", h, "LEN(NOTES)")[1] == ("error " + code if where == "parse" else "0"), "%s: record 1" % name)
    probe("close", h)

# ---- character types: the caller's ANSI text meets the table's OEM text ----------------------
def raw(b):  # bytes as the probe passes them on (its lines are cp437)
    return b.decode("cp437")


people = [line.split(b"\t") for line in open(os.path.join(data, "people.tsv"), "rb").read().splitlines()]
oem = probe.handle("open", win(os.path.join(data, "PEOPLE.DBF")), 2)
ansi = probe.handle("open", win(os.path.join(data, "PEOPLE.DBF")), 1)
by_oem, by_ansi = (probe.handle("index", h, win(os.path.join(data, "PEOPLE.NTX"))) for h in (oem, ansi))
for name, recno, shown in people:
    key = raw(name)
    plain = max(name) < 0x80
    got = probe("seek", by_oem, key, len(key), 2)
    check(got[:3] == ["0", "1", recno.decode()], "OEM seek of %r: %r" % (name, got))
    check(probe("seek", by_ansi, key, len(key), 2)[1] == ("1" if plain else "0"), "ANSI seek of %r" % name)
    for h, want in ((oem, shown.decode()), (ansi, shown.decode() if plain else "")):
        probe("filter", h, "NAME = '%s'" % key)
        check(",".join(map(str, probe.all(h)[0])) == want, "filter of %r, type %s" % (name, h))
        probe("filter", h, "")
    # The bytes as stored, given to a table opened for ANSI text, are found as they are.
    probe("locate", ansi, "RECNO() = " + recno.decode())
    stored = probe("eval", ansi, "TRIM(NAME)")[1]
    check(probe("seek", by_ansi, stored, len(stored), 2)[:3] == ["0", "1", recno.decode()], "bytes of %r" % name)
check(probe("open", win(os.path.join(data, "PEOPLE.DBF")), 3)[0] == "1010", "character type 3")
check(probe("open", win(os.path.join(data, "PEOPLE.DBF")), 0)[0] == "1010", "character type 0")

# ---- expressions ----------------------------------------------------------------------------------
cases = [  # on CUSTOMER record 4: " Leading Space", Ho Chi Minh Cit, 19940508, F, -183.24
    ("UPPER(NAME)", " LEADING SPACE      "), ("LOWER(CITY)", "ho chi minh cit"), ("TRIM(NAME) + '|'", " Leading Space|"),
    ("RTRIM(CITY) + '|'", "Ho Chi Minh Cit|"), ("ALLTRIM(NAME)", "Leading Space"), ("LTRIM(NAME)", "Leading Space      "), ("LEFT(CITY, 2)", "Ho"),
    ("RIGHT(TRIM(CITY), 3)", "Cit"), ("SUBSTR(CITY, 4, 3)", "Chi"), ("SUBSTR(CITY, -3)", "Cit"),
    ("SUBSTR(CITY, 40)", ""), ("LEFT(CITY, -1)", ""), ("STR(BALANCE)", "   -183.24"), ("STR(BALANCE, 5)", " -183"),
    ("STR(BALANCE, 3)", "***"), ("STR(CUSTNO, 8, 1)", "559004.0"), ("VAL('  12.5xyz') * 2", "25.0000"),
    ("DTOS(JOINED)", "19940508"), ("DTOS(CTOD('02/29/2000'))", "20000229"), ("DTOS(CTOD('02/30/2000'))", " " * 8),
    ("DTOS(CTOD('1/2/99'))", "19990102"), ("YEAR(JOINED) + MONTH(JOINED) + DAY(JOINED)", "2007"),
    ("JOINED - 0d19940501", "7"), ("DTOS(JOINED + 30)", "19940607"), ("JOINED > {^1994-05-07}", "T"),
    ("EMPTY(CITY) .OR. EMPTY(0) .AND. .NOT. EMPTY(.T.)", "T"), ("'Chi' $ CITY", "T"), ("'' $ CITY", "F"),
    ("CITY = 'Ho Chi'", "T"), ("CITY == 'Ho Chi'", "F"), ("'Ho' = CITY", "F"), ("CITY <> 'Ho'", "F"), ("CITY != 'Ho'", "F"), ("CITY # 'Hz'", "T"),
    ("CITY < 'Ho D'", "T"), ("CITY >= 'Ho Chi Minh Cit'", "T"), ("RECNO() = 4 .AND. !DELETED()", "T"),
    ("-BALANCE / 0", "0"), ("(1 + 2) * 3 - 4 / 2", "7"), ("ACTIVE = .F.", "T"), ("EOF()", "F")]
probe("locate", customer, "RECNO() = 4")
for expr, value in cases:
    check(probe("eval", customer, expr) == ["0", value], "%s: %r" % (expr, probe("eval", customer, expr)))

# ---- hostile input ------------------------------------------------------------------------------
dbf_bytes = open(os.path.join(data, "CUSTOMER.DBF"), "rb").read()
ntx_bytes = open(os.path.join(data, "CUSTNAME.NTX"), "rb").read()
for name, body, code in [
        ("MISSING.DBF", None, "1003"), ("ZERO.DBF", b"", "1005"), ("SHORT.DBF", dbf_bytes[:1000], "1005"),
        ("HEADER.DBF", dbf_bytes[:200], "1005"), ("NOISE.DBF", bytes(rnd.randrange(256) for _ in range(5000)), "1005"),
        ("FIELDS.DBF", dbf_bytes[:10] + b"\x05\x00" + dbf_bytes[12:], "1005")]:
    path = damaged(name, body) if body is not None else win(os.path.join(scratch, name))
    check(probe("open", path)[0] == code, "open " + name)
os.makedirs(os.path.join(scratch, "DIR.DBF"))
for path, code in (("NUL", "1004"), ("CON", "1004"), (win(os.path.join(scratch, "DIR.DBF")), "1004"), ("", "1002"), ("x" * 5000, "1003")):
    check(probe("open", path)[0] == code, "open %r" % path[:20])

bad_pages = bytearray(ntx_bytes)
for at in range(1024, len(bad_pages), 1024):
    bad_pages[at:at + 2] = (999).to_bytes(2, "little")
root_out = bytearray(ntx_bytes)
root_out[4:8] = (1 << 30).to_bytes(4, "little")
cyclic = bytearray(ntx_bytes)
for at in range(1024, len(cyclic), 1024):
    for i in range(33):
        off = int.from_bytes(cyclic[at + 2 + 2 * i:at + 4 + 2 * i], "little")
        if off + 28 <= 1024:
            cyclic[at + off:at + off + 4] = (at).to_bytes(4, "little")  # every page its own child
shared = bytearray(ntx_bytes)  # every child pointer names the same leaf: a walk that never ends
leaf = 1024
for at in range(1024, len(shared), 1024):
    if int.from_bytes(shared[at + 68:at + 72], "little"):
        for i in range(33):
            off = int.from_bytes(shared[at + 2 + 2 * i:at + 4 + 2 * i], "little")
            shared[at + off:at + off + 4] = (leaf if at != leaf else 0).to_bytes(4, "little")
for name, body, codes in [("SHORT.NTX", ntx_bytes[:1000], {"1006"}), ("ROOT.NTX", bytes(root_out), {"1006"}),
                          ("PAGES.NTX", bytes(bad_pages), {"1006"}), ("CYCLE.NTX", bytes(cyclic), {"0", "1006"}),
                          ("SHARED.NTX", bytes(shared), {"0", "1006"}),
                          ("NOISE.NTX", ntx_bytes[:1024] + bytes(rnd.randrange(256) for _ in range(len(ntx_bytes) - 1024)),
                           {"0", "1006"})]:
    code, h = probe("index", customer, damaged(name, body))
    check(code in codes, "index %s: %s" % (name, code))
    if code == "0":
        for key in ("SMITH", "", "~"):
            check(probe("seek", h, key, len(key), 2)[0] in codes, "seek in " + name)
        check(probe("all", h, ".T.")[0] in codes | {"0"}, "walk of " + name)

# An index of another table: its records are not there, or its key names fields that are not there.
empty_table = indexes["EMPTYNAME.NTX"][0]
code, foreign = probe("index", empty_table, win(os.path.join(data, "CUSTNAME.NTX")))
check(code == "0" and probe("seek", foreign, "SMITH", 5, 2)[0] == "1006", "seek in an index of another table")
check(probe("index", g, win(os.path.join(data, "CITYNAME.NTX")))[0] == "1007", "an index whose key names no field")
check(probe("index", customer, win(os.path.join(data, "NOSUCH.NTX")))[0] == "1003", "a missing index")

for expr in ['CITY = ', '(CITY = "x"', 'NAME + 1 = 2', 'NOSUCH = 1', 'UPPER(NAME', '"abc', 'SUBSTR(NAME)', '.AND.',
             'BALANCE $ "x"', 'CITY', 'NOSUCHFN(1)', 'CITY = "x" .OR.', '0d20000230 = JOINED', '1 = 1 = 1', '',
             '(' * 5000 + '.T.' + ')' * 5000, '!' * 300 + '.T.', 'CITY = "x" ) ', 'RECNO()' + '+RECNO()' * 5000 + ' > 0']:
    check(probe("locate", customer, expr)[0] == "1008", "locate %r" % expr[:30])
    if expr:
        check(probe("filter", customer, expr)[0] == "1008", "filter %r" % expr[:30])

for h in ("0", "1", "4294967295", "12345678", str(int(customer) + 1000)):
    for cmd in (("seek", h, "A", 1, 2), ("filter", h, ".T."), ("locate", h, ".T."), ("continue", h), ("close", h),
                ("closeindex", h), ("eval", h, "1"), ("describe", h), ("index", h, "CUSTNAME.NTX")):
        got = probe(*cmd)
        check(got[0] == "1001" or got[1:2] == ["error 1001"], "%s with handle %s: %r" % (cmd[0], h, got))
check(probe("seek", customer, "A", 1, 2)[0] == "1001", "seek with a table handle")
fresh = table("EMPTY.DBF")
check(probe("continue", fresh)[0] == "1009", "continue before any locate")
check(probe("close", fresh) == ["0"] and probe("close", fresh) == ["1001"], "a table closes once")
check(probe("closeindex", custname) == ["0"] and probe("seek", custname, "A", 1, 2)[0] == "1001", "a closed index")
check(probe("exit") == ["0"], "application exit")
for h in (customer, g, indexes["CUSTNO.NTX"][1]):
    check(probe("eval", h, "1")[1] == "error 1001", "handle %s after application exit" % h)
check(probe("open", win(os.path.join(data, "CUSTOMER"))) [0] == "0", "a table name without extension")

probe.p.stdin.close()
probe.p.wait()
print("%d passed, %d failed" % (passed, failed))
sys.exit(1 if failed else 0)
