#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets from real tables.

    python3 fuzz/make_seeds.py CARPETA_DE_TABLAS [CARPETA_DEL_CORPUS]

CARPETA_DE_TABLAS is a request folder the build made (build/bin holds one):
its empty tables are seeds as they are, and their headers give the layout of
the records of the sample request of tests/rules/report/requests.json,
written here field by field as the table engine writes them. To them are
added hand-made hostile tables and texts. Inputs that once broke something
are kept beside these by hand; this script never removes a file.
"""
import json
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REQUESTS = os.path.join(HERE, '..', 'tests', 'rules', 'report', 'requests.json')
REPORT_TABLES = ['insunit', 'insupedi', 'exporped', 'factura', 'impTLC']
SEPARATOR = b'\x1e'


def table_file(folder, name):
    for entry in os.listdir(folder):
        if entry.lower() == name.lower() + '.dbf':
            return os.path.join(folder, entry)
    raise SystemExit('no está la tabla %s en %s' % (name, folder))


def fields_of(header):
    """(name, type, length, decimals) of each field descriptor."""
    out = []
    pos = 32
    while header[pos] != 0x0D:
        d = header[pos:pos + 32]
        out.append((d[:11].split(b'\0')[0].decode('latin-1'), chr(d[11]), d[16], d[17]))
        pos += 32
    return out


def encode_field(ftype, length, decimals, value):
    if value is None:
        return b' ' * length
    if ftype == 'C':
        return str(value).encode('cp1252')[:length].ljust(length)
    if ftype in 'NF':
        return ('%.*f' % (decimals, float(value))).encode()[-length:].rjust(length)
    if ftype == 'D':
        return str(value).replace('-', '').encode()[:8].ljust(8)
    if ftype == 'L':
        return b'T' if value else b'F'
    return b' ' * length


def record_bytes(fields, record):
    upper = {k.upper(): v for k, v in record.items()}
    return b' ' + b''.join(encode_field(t, n, d, upper.get(name.upper())) for name, t, n, d in fields)


def with_records(table, records, count=None):
    """The table with the given record bytes and record count."""
    header_length = struct.unpack_from('<H', table, 8)[0]
    header = bytearray(table[:header_length])
    struct.pack_into('<I', header, 4, len(records) if count is None else count)
    return bytes(header) + b''.join(records) + b'\x1a'


def request(case):
    all_ = json.load(open(REQUESTS, encoding='utf-8'))
    over = all_['cases'][case]
    window = dict(all_['window'], **over.get('window', {}))
    choices = dict(all_['choices'], **over.get('choices', {}))
    tables = dict(all_['tables'], **over.get('tables', {}))
    return window, choices, tables


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def numeric_table(values):
    """A one-field N(10,2) table whose records hold the given raw texts."""
    header = bytearray(32)
    header[0] = 0x03
    struct.pack_into('<IHH', header, 4, len(values), 32 + 32 + 1, 11)
    header[29] = 0x03
    d = bytearray(32)
    d[:5] = b'MONTO'
    d[11] = ord('N')
    d[16], d[17] = 10, 2
    return bytes(header) + bytes(d) + b'\r' + b''.join(b' ' + v.rjust(10) for v in values) + b'\x1a'


def tabla_seeds(folder, out):
    for entry in sorted(os.listdir(folder)):
        if not entry.lower().endswith('.dbf'):
            continue
        data = open(os.path.join(folder, entry), 'rb').read()
        count = struct.unpack_from('<I', data, 4)[0]
        if count == 0:
            write(out, 'vacia-' + entry[:-4].lower(), data)
            continue
        # A catalogue: its first records, to keep the seed small.
        header_length, record_length = struct.unpack_from('<HH', data, 8)
        keep = max(1, min(count, (4096 - header_length) // record_length))
        records = [data[header_length + i * record_length:header_length + (i + 1) * record_length]
                   for i in range(keep)]
        write(out, 'catalogo-' + entry[:-4].lower(), with_records(data, records))
    _, _, tables = request('opc1')
    filled = {}
    for name in REPORT_TABLES:
        table = open(table_file(folder, name), 'rb').read()
        fields = fields_of(table)
        filled[name] = (table, [record_bytes(fields, r) for r in tables[name]])
        write(out, 'llena-' + name.lower(), with_records(table, filled[name][1]))

    table, records = filled['insupedi']
    full = with_records(table, records)
    header_length = struct.unpack_from('<H', table, 8)[0]
    write(out, 'hostil-corta', full[:20])
    write(out, 'hostil-solo-encabezado', full[:header_length - 5])
    write(out, 'hostil-cuenta-de-mas', with_records(table, records, count=len(records) + 3))
    write(out, 'hostil-cuenta-enorme', with_records(table, records, count=0xFFFFFFFF))
    write(out, 'hostil-registro-cortado', full[:header_length + len(records[0]) + 7])
    write(out, 'hostil-borrados', with_records(table, [b'*' + r[1:] for r in records]))
    bad = bytearray(full)
    bad[32 + 16] = 0  # the first field of zero length
    write(out, 'hostil-campo-cero', bytes(bad))
    bad = bytearray(full)
    bad[32 + 11] = ord('X')  # a kind of field no engine knows
    write(out, 'hostil-tipo-raro', bytes(bad))
    bad = bytearray(full)
    bad[header_length - 1] = ord(' ')  # no terminator of the field list
    write(out, 'hostil-sin-terminador', bytes(bad))
    bad = bytearray(full)
    struct.pack_into('<H', bad, 10, 3)  # a record shorter than its fields
    write(out, 'hostil-registro-corto', bytes(bad))
    bad = bytearray(full)
    bad[29] = 0x7F  # an unknown code page
    write(out, 'hostil-pagina-rara', bytes(bad))
    write(out, 'hostil-numeros', numeric_table(
        [b'nan', b'inf', b'-inf', b'1e308', b'9e999', b'-', b'1.2.3', b'+', b'.', b'--1', b'1-', b'0x1A',
         b'*****', b'1,234.5', b'  12.50', b'-0.00', b'99999999.99', b'1e-400']))


def reporte_seeds(folder, out):
    templates = {}
    for name in REPORT_TABLES:
        table = open(table_file(folder, name), 'rb').read()
        templates[name] = fields_of(table)
    all_ = json.load(open(REQUESTS, encoding='utf-8'))
    for case in all_['cases']:
        window, choices, tables = request(case)
        head = bytes([choices['opcDT'], 0 if choices['direct'] else 1, choices['tSolicitud'] + 1,
                      choices['tDevolucion'] + 1, choices['tExportacion'] + 1, int(choices['appendix8']),
                      int(choices['annexB']), 0])
        head += '\n'.join('%s=%s' % (k, v) for k, v in window.items()).encode('utf-8')
        parts = [head]
        for name in REPORT_TABLES:
            parts.append(b''.join(record_bytes(templates[name], r) for r in tables[name]))
        write(out, 'solicitud-' + case, SEPARATOR.join(parts))
    write(out, 'sin-opcion', bytes([0, 0, 0, 0, 0, 0, 0, 0]))
    write(out, 'tablas-cerradas', bytes([1, 0, 0, 0, 0, 0, 0, 0x1F]))


def reglas_seeds(out):
    texts = {
        # 0: the check of a date cell
        'fecha-10': (0, '15/03/2026'), 'fecha-6': (0, '150326'), 'fecha-8-numero': (0, '15032026'),
        'fecha-8-barras': (0, '15/03/26'), 'fecha-guiones': (0, '15-03-2026'), 'fecha-futura': (0, '31/12/2026'),
        'fecha-29-feb': (0, '29/02/2025'), 'fecha-ceros': (0, '00/00/2026'), 'fecha-punto': (0, '1.234567'),
        # 1: a text stored in a date field
        'campo-fecha': (1, '1/2/2026'), 'campo-fecha-iso': (1, '20260315'),
        # 2: a typed amount
        'numero-miles': (2, '-1,234,567.891'), 'numero-punto': (2, '.5'), 'numero-signo': (2, '+10.'),
        'numero-largo': (2, '9' * 320), 'numero-raro': (2, '1.2.3'), 'numero-nan': (2, 'nan'),
        # 3: a cell's formatted number, and a pattern over a number
        'celda-moneda': (3, '($1,234.50)'), 'celda-patron': (3, '###,###.#####\n1234.5'),
        'celda-exponente': (3, '1e308'),
        # 5: a number stored in N(20, 1)
        'campo-numero': (5 + 7 * 19, '-12345678901234567.5'),
        # 6: pasted text through the key filters
        'teclas-rfc': (6, ' ANO920315KT4\n'), 'teclas-acentos': (6, 'ÑANDÚ 12.5'),
    }
    for name, (selector, text) in texts.items():
        write(out, name, bytes([selector % 256]) + text.encode('utf-8'))
    # 4: raw doubles
    for name, value in {'doble-decimo': 0.1 + 0.2, 'doble-enorme': 1.7976931348623157e308,
                        'doble-diminuto': 5e-324, 'doble-mitad': 0.5e-7, 'doble-entero': 123456789012345.0}.items():
        write(out, name, bytes([4]) + struct.pack('<d', value))


def main():
    if len(sys.argv) not in (2, 3):
        raise SystemExit(__doc__)
    folder = sys.argv[1]
    out = sys.argv[2] if len(sys.argv) == 3 else os.path.join(HERE, 'corpus')
    tabla_seeds(folder, os.path.join(out, 'tabla'))
    reporte_seeds(folder, os.path.join(out, 'reporte'))
    reglas_seeds(os.path.join(out, 'reglas'))


if __name__ == '__main__':
    main()
