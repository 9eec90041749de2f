# What the totals of a request folder must be, read with python3-dbf and
# added with exact decimals, and another program's writes to its tables.
# One JSON request a line on stdin, one JSON answer a line on stdout:
#   {"check": DIR, "mdev": M, "units": BOOL, "shown": {BOX: TEXT, ...}}
#       -> {"wrong": [WHY, ...]}. BOX: a total box of the window, "asked"
#       (the amount a command asked about), "printed" (the report's refund)
#       or "stored" (then the request's DEVOL_SOL must be the refund).
#   {"write": TABLE_FILE, "op": "edit"|"append"|"delete"|"cut", "row": N,
#    "field": F, "value": V} -> {"done": BOOL}
import json
import os
import sys
from decimal import Decimal

import dbf

TLCAN = ("ESTADOS UNIDOS DE AMERICA", "CANADA")


def number(v):
    if v is None or isinstance(v, bool):
        return Decimal(0)
    return Decimal(repr(v)) if isinstance(v, float) else Decimal(v)


def shown(text):
    text = (text or "").replace("$", "").replace(",", "").strip()
    return Decimal(text) if text else Decimal(0)


def rows(folder, name):
    files = [f for f in os.listdir(folder) if f.lower() == name + ".dbf"]
    if not files:
        return []
    table = dbf.Table(os.path.join(folder, files[0]))
    table.open(dbf.READ_ONLY)
    try:
        return [{str(n).upper(): r[n] for n in table.field_names} for r in table if not dbf.is_deleted(r)]
    finally:
        table.close()


def totals(folder, mdev, units):
    out = {}
    goods, tlcan = rows(folder, "insupedi"), rows(folder, "imptlc")
    to, tno = Decimal(0), Decimal(0)
    for r in goods:
        a, ours = number(r["MONT_SOLIC"]), (r["PAIS_IMPOR"] or "").rstrip() in TLCAN
        if mdev in (0, 1) or (mdev in (2, 3) and ours):
            to += a
        elif mdev == 2:
            tno += a
    duties = sum((number(r["MONT_SOLIC"]) for r in tlcan), Decimal(0))
    out["txtTO"], out["txtTNO"] = to, min(tno, duties)
    out["txtDevS"] = to + out["txtTNO"]
    out["txtTLCAN(0)"] = sum((number(r["CAN_MIMP"]) for r in tlcan), Decimal(0))
    out["txtTLCAN(1)"] = duties
    if units:
        out["txtTCU"] = sum((number(r["COSTO_UNIT"]) for r in rows(folder, "insunit")), Decimal(0))
    for i, f in enumerate(["CANT_TOTAL", "CANT_UTIL", "VAL_TOTPED", "VALOR_UTI"]):
        out["txtTED(%d)" % i] = sum((number(r[f]) for r in rows(folder, "exporped")), Decimal(0))
    invoices = rows(folder, "factura")
    pesos = bool(invoices) and number(invoices[0]["VALTOTNP"]) != 0
    fields = ["CANT_TOTAL", "CANT_UTIL"] + (["VALTOTNP", "VALREPNP"] if pesos else ["VALTOTDLL", "VALREPDLL"])
    for i, f in enumerate(fields):
        out["txtTEI(%d)" % i] = sum((number(r[f]) for r in invoices), Decimal(0))
    return out


def check(q):
    folder, want = q["check"], totals(q["check"], q["mdev"], q["units"])
    wrong = []
    for box, text in q["shown"].items():
        if box == "stored":
            request = rows(folder, "solicitu")
            text = str(number(request[0]["DEVOL_SOL"])) if request else "(no request)"
        expected = want["txtDevS" if box in ("asked", "printed", "stored") else box]
        try:
            same = shown(text) == expected
        except ArithmeticError:
            same = False
        if not same:
            wrong.append("%s: %s, the rows give %s" % (box, text, expected))
    return {"wrong": wrong}


def write(q):
    path, row = q["write"], q.get("row", 0)
    if q["op"] == "cut":
        # A program that stopped halfway: the last record gone, and the count.
        with open(path, "r+b") as f:
            head = f.read(12)
            count, start, length = (int.from_bytes(head[4:8], "little"), int.from_bytes(head[8:10], "little"),
                                    int.from_bytes(head[10:12], "little"))
            if count == 0:
                return {"done": False}
            f.seek(4)
            f.write((count - 1).to_bytes(4, "little"))
            f.truncate(start + (count - 1) * length)
        return {"done": True}
    table = dbf.Table(path)
    table.open(dbf.READ_WRITE)
    try:
        if len(table) == 0:
            return {"done": False}
        record = table[row % len(table)]
        if q["op"] == "delete":
            dbf.delete(record)
        elif q["op"] == "append":
            table.append(tuple(record))
            with table[-1] as copy:
                copy[q["field"].lower()] = q["value"]
        else:
            with record as r:
                r[q["field"].lower()] = q["value"]
    finally:
        table.close()
    return {"done": True}


for line in sys.stdin:
    q = json.loads(line)
    try:
        answer = check(q) if "check" in q else write(q)
    except Exception as e:  # the test says what broke
        answer = {"wrong": ["%s: %s" % (type(e).__name__, e)], "done": False}
    sys.stdout.write(json.dumps(answer) + "\n")
    sys.stdout.flush()
