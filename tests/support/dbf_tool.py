# Reads and writes test tables with python-dbf, for the interoperability tests.
#
#   dbf_tool.py dump PATH [TAIL]   prints the table as JSON (only the last TAIL
#                                  records when given)
#   dbf_tool.py create PATH        creates a table from the JSON on stdin:
#                                  {"codepage": "cp1252", "fields": "NAME C(20); ...",
#                                   "records": [{"values": [...], "deleted": false}]}
#   dbf_tool.py append PATH        appends the JSON records on stdin to a table
#   dbf_tool.py folder DIR         creates several tables in DIR from the JSON on
#                                  stdin: {"tables": [{"file": ..., "codepage": ...,
#                                  "fields": ..., "records": [...]}, ...]}
#   dbf_tool.py dumpall DIR F...   prints {"F": table, ...} for the named files
#   dbf_tool.py set PATH ROW       writes the JSON {"FIELD": value, ...} on stdin
#                                  into record ROW (0-based; "new": appended)
#   dbf_tool.py serve              reads requests, one JSON line each:
#                                  {"dir": DIR, "files": [F, ...]}, and answers
#                                  each with one line {"F": table, ...}; a table
#                                  that cannot be read gives {"error": why}
#
# Values travel as JSON: text as is, numbers as numbers, dates as "YYYY-MM-DD",
# logicals as true/false, and null for a blank field. Character fields are
# reported exactly as python-dbf decodes them, padding included, so that the
# caller can see whether a leading blank survived.
import datetime
import json
import os
import sys

import dbf


def to_json(value):
    if isinstance(value, (datetime.date, dbf.Date)):
        return value.strftime("%Y-%m-%d") if value else None
    if isinstance(value, bool) or value is None:
        return value
    if isinstance(value, (int, float)):
        return value
    if isinstance(value, bytes):
        return value.decode("latin-1")
    return str(value)


def from_json(value, field_type):
    if value is None:
        return None
    if field_type == "D":
        return datetime.date.fromisoformat(value)
    return value


def field_types(table):
    return [chr(table.field_info(name).field_type) for name in table.field_names]


def append_records(table, records):
    types = field_types(table)
    for rec in records:
        table.append(tuple(from_json(v, t) for v, t in zip(rec["values"], types)))
        if rec.get("deleted"):
            dbf.delete(table[-1])


def create(path, spec):
    table = dbf.Table(path, spec["fields"], dbf_type="db3", codepage=spec["codepage"])
    table.open(dbf.READ_WRITE)
    append_records(table, spec["records"])
    table.close()


def read(path, tail=None):
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        first = max(0, len(table) - tail) if tail is not None else 0
        out = {
            "codepage": table.codepage.name,
            "count": len(table),
            "fields": [str(name).upper() for name in table.field_names],
            "types": field_types(table),
            "records": [],
        }
        for i in range(first, len(table)):
            rec = table[i]
            out["records"].append({
                "deleted": bool(dbf.is_deleted(rec)),
                "values": [to_json(rec[j]) for j in range(len(table.field_names))],
            })
    finally:
        table.close()
    return out


def dump(path, tail):
    json.dump(read(path, tail), sys.stdout, ensure_ascii=True)


def serve():
    for request in sys.stdin:
        request = json.loads(request)
        answer = {}
        for f in request["files"]:
            try:
                answer[f] = read(os.path.join(request["dir"], f))
            except Exception as e:  # any fault of the file is the answer
                answer[f] = {"error": "%s: %s" % (type(e).__name__, e)}
        sys.stdout.write(json.dumps(answer, ensure_ascii=True) + "\n")
        sys.stdout.flush()


def main():
    if sys.argv[1] == "serve":
        serve()
        return
    command, path = sys.argv[1], sys.argv[2]
    if command == "dump":
        dump(path, int(sys.argv[3]) if len(sys.argv) > 3 else None)
    elif command == "create":
        create(path, json.load(sys.stdin))
    elif command == "folder":
        for spec in json.load(sys.stdin)["tables"]:
            create(os.path.join(path, spec["file"]), spec)
    elif command == "dumpall":
        json.dump({f: read(os.path.join(path, f)) for f in sys.argv[3:]}, sys.stdout, ensure_ascii=True)
    elif command == "set":
        values = json.load(sys.stdin)
        table = dbf.Table(path)
        table.open(dbf.READ_WRITE)
        if sys.argv[3] == "new":
            table.append()
        types = {str(n).upper(): t for n, t in zip(table.field_names, field_types(table))}
        with table[-1 if sys.argv[3] == "new" else int(sys.argv[3])] as rec:
            for name, value in values.items():
                rec[name.lower()] = from_json(value, types[name.upper()])
        table.close()
    elif command == "append":
        spec = json.load(sys.stdin)
        table = dbf.Table(path)
        table.open(dbf.READ_WRITE)
        append_records(table, spec["records"])
        table.close()
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main()
