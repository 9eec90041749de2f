#!/usr/bin/python3
# Spreadsheets as another program writes and reads them, for the tests of the
# row files:
#   openpyxl_tool.py make PATH YEAR  the sample, in the 1900 or 1904 date system
#   openpyxl_tool.py formula PATH    a sheet with a formula (openpyxl stores no
#                                    result) and an error value
#   openpyxl_tool.py cdata PATH [X]  a sheet whose texts are written as CDATA
#                                    sections and character references, as
#                                    some programs write them (with X, a
#                                    cell past the sheet's last column)
#   openpyxl_tool.py dump PATH       the first sheet as JSON: whether its first
#                                    row is bold, then its rows of values
import datetime, json, sys, openpyxl

if sys.argv[1] == "make":
    book, year = openpyxl.Workbook(), int(sys.argv[3])
    book.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904 if year == 1904 else book.epoch
    # Dates in a custom, a built-in (in 1900, a day before March) and openpyxl's
    # own format; an empty cell, an empty row, a number stored as text.
    for row in (["Número", "Fecha", "Importe", "Nota"], ["0012", datetime.date(2024, 2, 29), 1234.5, True], [],
                [42, None, 0.1, "a"], [7, datetime.date(year, 1, 15), 1.5e-7],
                [None, datetime.datetime(2023, 12, 31, 23, 59)]):
        book.active.append(row)
    book.active["B2"].number_format, book.active["B5"].number_format = "dd/mm/yyyy", "mm-dd-yy"
    book.save(sys.argv[2])
elif sys.argv[1] == "formula":
    book = openpyxl.Workbook()
    book.active.title = "Mi hoja"
    for row in (["Número", "Importe"], [1, "=SUM(1,2)"], [2, 5], [], [3, "#N/A"]):
        book.active.append(row)
    book.save(sys.argv[2])
elif sys.argv[1] == "cdata":
    book = openpyxl.Workbook()
    for row in (["Nota", "Cifra"], ["a<b & c]", 2]):
        book.active.append(row)
    book.save(sys.argv[2])
    import re, zipfile
    parts = {i.filename: zipfile.ZipFile(sys.argv[2]).read(i) for i in zipfile.ZipFile(sys.argv[2]).infolist()}
    sheet = "xl/worksheets/sheet1.xml"
    parts[sheet] = parts[sheet].replace(b"<t>a&lt;b &amp; c]</t>", b"<t><![CDATA[a<b & c]]]></t>")
    parts[sheet] = parts[sheet].replace(b"<t>Nota</t>", b"<t>N&#x6F;t&#97;</t>")
    if len(sys.argv) > 3:  # and a cell past the last column a sheet has
        parts[sheet] = parts[sheet].replace(b"</row></sheetData>", b'<c r="XFD2"><v>1</v></c><c><v>2</v></c></row></sheetData>')
    with zipfile.ZipFile(sys.argv[2], "w") as z:
        for name, data in parts.items():
            z.writestr(name, data)
else:
    rows = list(openpyxl.load_workbook(sys.argv[2]).active.iter_rows())
    print(json.dumps([all(c.font.b for c in rows[0])] + [[c.value for c in r] for r in rows], ensure_ascii=False))
