#!/usr/bin/python3
"""Writes a benchmark application folder holding one large importer's quarter:

    DIR/KOLV.Bat                  FoxPro mode
    DIR/Kolvcomp.dbf              one company (code 1)
    DIR/001/Company.dbf           one period, 01/04/2014 to 31/03/2015
    DIR/001/14041503/Ledger.dbf   the period folder with a small table
    DIR/Data/db.sqlite            the tariff master Import, 10,000 rows, indexed
    DIR/stemp4.DBF                N invoice lines
    DIR/ptemp5.DBF                N supplier documents
    DIR/ACES_DLR.xsd              copied from --schema

The tables are dBase III (version byte 0x03, code page mark 0x03 = Windows
1252) and are written byte by byte here: a general dBase library takes minutes
for a million rows. The rows look like an accounting system's: several invoice
series interleaved (so the file is not in invoice-number order and the return
has to sort it), tariff numbers typed with blanks or dots, names and addresses
of realistic length with the odd "&" and accented letter, valid registration
numbers, and addresses ending in " ECC.No." and the supplier's number.

Run: /usr/bin/python3 bench/make_quarter.py --rows 100000 --out /tmp/q100k
"""
import argparse
import datetime
import os
import random
import shutil
import sqlite3
import struct
import sys

MASTER_ROWS = 10000
UNITS = ['KGS'] * 10 + ['NOS'] * 4 + ['MTR'] * 2 + ['LTR', 'MT', 'SQM', 'PRS', 'SET', 'TON', 'KL', 'GMS']

# Chapters an importer of metals, chemicals, plastics and machinery deals in.
CHAPTERS = [25, 27, 28, 29, 32, 34, 38, 39, 40, 44, 48, 68, 69, 70, 72, 73, 74, 75, 76, 78, 79, 81, 82,
            83, 84, 85, 87, 90, 94, 96]


def tariff_master(count, seed=7):
    """`count` distinct 8-digit tariff numbers with their units; about one in
    thirty has no unit (the return then writes "U")."""
    rnd = random.Random(seed)
    seen = set()
    rows = []
    while len(rows) < count:
        number = '%02d%02d%02d%02d' % (rnd.choice(CHAPTERS), rnd.randint(1, 99), rnd.randint(0, 99),
                                        rnd.choice((0, 10, 11, 19, 20, 21, 29, 30, 90, 91, 99)))
        if number in seen:
            continue
        seen.add(number)
        rows.append((number, None if rnd.random() < 0.033 else rnd.choice(UNITS)))
    return rows


# ---- dBase III writer -------------------------------------------------------

def dbf_header(fields, count, updated=datetime.date(2014, 7, 5)):
    header_length = 32 + 32 * len(fields) + 1
    record_length = 1 + sum(f[2] for f in fields)
    head = struct.pack('<BBBBIHH20s', 0x03, updated.year - 1900, updated.month, updated.day,
                       count, header_length, record_length, bytes(17) + b'\x03' + bytes(2))
    assert head[29] == 0x03  # code page mark: Windows 1252
    parts = [head]
    for name, kind, length, decimals in fields:
        parts.append(struct.pack('<11sc4xBB14x', name.encode('ascii'), kind.encode('ascii'), length, decimals))
    parts.append(b'\r')
    return b''.join(parts), record_length


def record_format(fields):
    """A bytes %-format for one record (deletion flag first). Character values
    are handed in as cp1252 bytes already cut to the field's length."""
    out = [b' ']
    for _name, kind, length, decimals in fields:
        if kind == 'C':
            out.append(b'%%-%ds' % length)
        elif kind == 'N':
            out.append(b'%%%d.%df' % (length, decimals) if decimals else b'%%%dd' % length)
        elif kind == 'D':
            out.append(b'%8s')
        else:
            raise ValueError(kind)
    return b''.join(out)


def parse_fields(field_list):
    fields = []
    for part in field_list.split(';'):
        name, kind = part.split()
        t = kind[0]
        size = kind[2:-1].split(',') if '(' in kind else ['8']
        fields.append((name, t, int(size[0]), int(size[1]) if len(size) > 1 else 0))
    return fields


def write_dbf(path, field_list, rows, count):
    """Writes `count` records from the tuples of `rows`."""
    fields = parse_fields(field_list)
    header, record_length = dbf_header(fields, count)
    fmt = record_format(fields)
    written = 0
    with open(path, 'wb', buffering=1 << 20) as f:
        f.write(header)
        chunk = []
        for row in rows:
            rec = fmt % row
            if len(rec) != record_length:
                raise ValueError('%s: record %d is %d bytes, not %d: %r' % (path, written + 1, len(rec),
                                                                              record_length, rec))
            chunk.append(rec)
            written += 1
            if len(chunk) == 8192:
                f.write(b''.join(chunk))
                chunk.clear()
        f.write(b''.join(chunk))
        f.write(b'\x1a')
    if written != count:
        raise ValueError('%s: %d records written, %d promised' % (path, written, count))


def text(value, length):
    return value.encode('cp1252')[:length]


# ---- realistic pools --------------------------------------------------------

MATERIALS = ['Copper', 'Brass', 'Aluminium', 'Stainless steel', 'MS', 'GI', 'HDPE', 'LDPE', 'PVC', 'Nickel',
             'Zinc', 'Lead', 'Titanium', 'Alloy steel', 'Carbon steel', 'Bronze', 'Polypropylene', 'Nylon 66',
             'Tungsten carbide', 'Cast iron']
FORMS = ['wire', 'rod', 'sheet', 'coil', 'pipe', 'tube', 'strip', 'plate', 'granules', 'flakes', 'cable',
         'bolt & nut set', 'flange', 'elbow', 'ingot', 'foil', 'bar', 'channel', 'angle', 'scrap']
GRADES = ['2.5 mm', '12 mm dia', '304 2B finish', 'Grade 6061-T6', 'IS 2062 E250', 'ASTM A312 TP316L',
         'Ø 25 mm x 6 m', 'Sch 40', '0.8 mm x 1250 mm', 'ETP grade 99.9%', 'Class C', '1/2" BSP',
         'HR 3.15 mm x 1500 mm', 'food grade', 'Melt index 22', 'M16 x 60 mm', 'DIN 933', 'Cu 99.97%',
         '16 SWG', 'CRGO M4 27', 'Heavy duty', '600/1100 V', 'Ref: PO 4500012345', 'Make: Café Industries']
MACHINES = ['CNC lathe', 'Centrifugal pump', 'Air compressor', 'Gear box', 'Electric motor 7.5 kW',
            'Bearing 6205 ZZ', 'Hydraulic cylinder', 'Control panel', 'Weighing scale', 'Laptop computer',
            'Ball valve', 'Solenoid valve', 'Transformer 250 kVA', 'Conveyor belt', 'Fork lift tyre']
CHEMICALS = ['Caustic soda flakes', 'Methanol', 'Acetic acid glacial', 'Titanium dioxide rutile',
             'Soda ash light', 'Hydrogen peroxide 50%', 'Sodium sulphate anhydrous', 'Phthalic anhydride',
             'Lubricating oil SAE 90', 'Kraft paper roll 120 GSM', 'Carbon black N330', 'Epoxy resin']

PREFIXES = ['Shree', 'Sri', 'New', 'Jai', 'Om', 'Royal', 'National', 'Bharat', 'Sun', 'Star', 'Metro',
            'Western', 'Eastern', 'Global', 'United', 'Supreme', 'Hindustan', 'Mahalaxmi', 'Balaji', 'Ganesh']
TRADES = ['Metals', 'Steel & Alloys', 'Polymers', 'Chemicals', 'Cables', 'Tubes', 'Engineering', 'Impex',
          'Overseas', 'Industries', 'Traders', 'Enterprises', 'Fasteners', 'Petrochem', 'Castings']
SUFFIXES = ['Pvt Ltd', 'Ltd', 'LLP', '& Co.', 'Corporation', 'Private Limited', '', '& Sons']
CITIES = [('Mumbai', '400093'), ('Pune', '411026'), ('Ahmedabad', '382445'), ('Vapi', '396195'),
          ('Silvassa', '396230'), ('Chennai', '600058'), ('Ludhiana', '141003'), ('Rajkot', '360024'),
          ('Taloja', '410208'), ('Faridabad', '121003'), ('Jamnagar', '361004'), ('Hosur', '635126')]
STREETS = ['MIDC Road', 'GIDC Estate', 'Industrial Area Phase II', 'Ring Road', 'Station Road',
           'Link Road, Andheri (E)', 'Sector 24', 'Ambattur Industrial Estate', 'Focal Point', 'Plot No. 5, Road No. 3']
CUSTOMS = ['Commissioner of Customs (Import), JNCH Nhava Sheva', 'Commissioner of Customs, Chennai Sea',
           'Deputy Commissioner of Customs, ICD Tughlakabad', 'Commissioner of Customs, Mundra']


def registration(rnd):
    letters = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ'
    return (''.join(rnd.choice(letters) for _ in range(5)) + '%04d' % rnd.randint(0, 9999) + rnd.choice(letters)
            + rnd.choice(('XD', 'XM', 'EM', 'ED')) + '%03d' % rnd.randint(1, 12))


def products(rnd, master, count):
    out = []
    for _ in range(count):
        r = rnd.random()
        if r < 0.6:
            name = '%s %s %s' % (rnd.choice(MATERIALS), rnd.choice(FORMS), rnd.choice(GRADES))
        elif r < 0.8:
            name = '%s %s' % (rnd.choice(MACHINES), rnd.choice(GRADES))
        else:
            name = rnd.choice(CHEMICALS)
        if rnd.random() < 0.3:
            name += ' - %s' % rnd.choice(GRADES)
        tariff = rnd.choice(master)[0]
        out.append((text(name, 60), tariff))
    return out


def suppliers(rnd, count):
    out = []
    for _ in range(count):
        name = ' '.join(p for p in (rnd.choice(PREFIXES), rnd.choice(TRADES), rnd.choice(SUFFIXES)) if p)
        reg = registration(rnd)
        city, pin = rnd.choice(CITIES)
        address = '%d, %s, %s - %s ECC.No.%s' % (rnd.randint(1, 999), rnd.choice(STREETS), city, pin, reg)
        if rnd.random() < 0.2:
            address = 'Unit %d, %s' % (rnd.randint(1, 40), address)
        out.append((text(name, 60), text(reg, 20), text(address, 120)))
    return out


def tariff_typed(rnd, tariff):
    """As a clerk types it into the invoice: plain, with a blank, or with dots."""
    r = rnd.random()
    if r < 0.7:
        return tariff
    if r < 0.85:
        return tariff[:4] + ' ' + tariff[4:]
    return '%s.%s.%s' % (tariff[:4], tariff[4:6], tariff[6:])


def dates(first, last):
    out = []
    d = first
    while d <= last:
        out.append(d.strftime('%Y%m%d').encode('ascii'))
        d += datetime.timedelta(days=1)
    return out


STEMP4 = ('Col01 N(8,0); Col02 C(20); Col03 D; Col04 C(60); Col05 C(12); Col06 N(14,3); '
          'Col07 N(14,2); Col08 N(14,2); Col09 N(14,2); Col10 N(14,2)')
PTEMP5 = ('Col01 N(8,0); Col02 C(20); Col03 C(60); Col04 C(60); Col05 C(12); Col06 N(14,2); Col07 N(14,2); '
          'Col08 N(14,2); Col09 N(14,2); Col10 C(20); Col11 N(14,3); Col12 D; Col13 C(60); Col14 C(120)')


def invoice_lines(rnd, count, goods):
    series = [b'MUM/14-15/', b'PUN/14-15/', b'DEL/14-15/', b'EXP/', b'CHN/1415/', b'AHD/14-15/']
    counters = [0] * len(series)
    quarter = dates(datetime.date(2014, 4, 1), datetime.date(2014, 6, 30))
    serial = 0
    while serial < count:
        s = rnd.randrange(len(series))
        counters[s] += 1
        number = series[s] + b'%05d' % counters[s]
        day = quarter[serial * len(quarter) // count]
        for _ in range(min(rnd.choice((1, 1, 1, 2, 2, 3, 4, 6)), count - serial)):
            serial += 1
            name, tariff = goods[rnd.randrange(len(goods))]
            qty = round(rnd.lognormvariate(4, 1.5), rnd.choice((0, 0, 1, 3)))
            value = qty * rnd.uniform(20, 900)
            basic = round(value * 0.12, 2)
            yield (serial, number, day, name, tariff_typed(rnd, tariff).encode('ascii'), min(qty, 9999999),
                   min(basic, 99999999), round(basic * 0.02, 2), round(basic * 0.01, 2),
                   round(value * 0.04, 2) if rnd.random() < 0.25 else 0.0)


def supplier_documents(rnd, count, goods, firms):
    half = dates(datetime.date(2014, 1, 1), datetime.date(2014, 6, 30))
    for serial in range(1, count + 1):
        name, reg, address = firms[rnd.randrange(len(firms))]
        product, tariff = goods[rnd.randrange(len(goods))]
        if rnd.random() < 0.35:  # a bill of entry
            number = b'BE/%07d' % rnd.randint(1000000, 9999999)
            issued = text(rnd.choice(CUSTOMS), 60)
        else:
            number = b'%s/%d' % (rnd.choice((b'PI', b'INV', b'TI', b'SI/14-15')), rnd.randint(1, 99999))
            issued = name
        qty = round(rnd.lognormvariate(4.5, 1.4), rnd.choice((0, 0, 2, 3)))
        basic = round(qty * rnd.uniform(20, 900) * 0.12, 2)
        yield (serial, number, name, product, tariff.encode('ascii'), min(basic, 99999999),
               round(basic * 0.02, 2), round(basic * 0.01, 2), 0.0, reg, min(qty, 9999999),
               half[rnd.randrange(len(half))], issued, address)


def write_master(path, master):
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    db.execute('CREATE TABLE Import (TariffNo TEXT, Unit TEXT)')
    db.execute('CREATE INDEX ImportTariffNo ON Import (TariffNo)')
    db.executemany('INSERT INTO Import (TariffNo, Unit) VALUES (?, ?)', master)
    db.commit()
    db.close()


def make_folder(out, rows, seed, schema):
    os.makedirs(os.path.join(out, '001', '14041503'), exist_ok=True)
    os.makedirs(os.path.join(out, 'Data'), exist_ok=True)
    with open(os.path.join(out, 'KOLV.Bat'), 'w') as f:
        f.write('rem FoxPro data in this folder\r\n')
    write_dbf(os.path.join(out, 'Kolvcomp.dbf'), 'Comp_cd N(3,0); Comp_nm C(40)',
              [(1, text('A & B METAL TRADERS PVT LTD', 40))], 1)
    write_dbf(os.path.join(out, '001', 'Company.dbf'), 'ystart_dt D; yLast_dt D', [(b'20140401', b'20150331')], 1)
    write_dbf(os.path.join(out, '001', '14041503', 'Ledger.dbf'), 'Acc_cd C(10); Acc_nm C(40)',
              [(b'CASH', b'Cash in hand'), (b'SALES', b'Sales account')], 2)

    master = tariff_master(MASTER_ROWS)
    write_master(os.path.join(out, 'Data', 'db.sqlite'), master)

    rnd = random.Random(seed)
    goods = products(rnd, master, 6000)
    firms = suppliers(rnd, 1500)
    write_dbf(os.path.join(out, 'stemp4.DBF'), STEMP4, invoice_lines(rnd, rows, goods), rows)
    write_dbf(os.path.join(out, 'ptemp5.DBF'), PTEMP5, supplier_documents(rnd, rows, goods, firms), rows)
    if schema:
        shutil.copyfile(schema, os.path.join(out, 'ACES_DLR.xsd'))


def main():
    p = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    p.add_argument('--rows', type=int, required=True, help='rows of stemp4.DBF and of ptemp5.DBF')
    p.add_argument('--out', required=True, help='the application folder to write (created)')
    p.add_argument('--seed', type=int, default=2014)
    p.add_argument('--schema', help='ACES_DLR.xsd to copy into the folder')
    a = p.parse_args()
    if a.rows < 0 or a.rows > 99999999:
        sys.exit('--rows must be between 0 and 99,999,999 (the serial field has 8 digits)')
    make_folder(a.out, a.rows, a.seed, a.schema)


if __name__ == '__main__':
    main()
