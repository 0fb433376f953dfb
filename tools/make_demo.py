#!/usr/bin/python3
"""Writes the demo application folder data/demo with Debian's python3-dbf and
python3-xlwt: a FoxPro company list with two companies, their period tables and
period folders, a realistic quarter in stemp4.DBF and ptemp5.DBF, the tariff
master workbook Tariff.xls and the program database Data/db.sqlite holding
the same master. Run: /usr/bin/python3 tools/make_demo.py"""
import datetime
import decimal
import os
import shutil
import sqlite3

import dbf
import xlwt

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'demo')
D = decimal.Decimal


def table(path, spec, rows):
    if os.path.exists(path):
        os.remove(path)
    t = dbf.Table(path, spec, dbf_type='db3', codepage='cp1252')
    t.open(dbf.READ_WRITE)
    for r in rows:
        t.append(r)
    t.close()


if os.path.isdir(root):
    shutil.rmtree(root)
os.makedirs(root)
open(os.path.join(root, 'KOLV.Bat'), 'w').write('rem FoxPro data in this folder\r\n')

table(os.path.join(root, 'Kolvcomp.dbf'), 'Comp_cd N(3,0); Comp_nm C(40)',
      [(1, 'A & B TRADERS'), (2, 'SHREE GANESH METAL CORPORATION')])

periods = [(datetime.date(2013, 4, 1), datetime.date(2014, 3, 31)),
           (datetime.date(2014, 4, 1), datetime.date(2015, 3, 31))]
for code in ('001', '002'):
    folder = os.path.join(root, code)
    os.makedirs(folder)
    table(os.path.join(folder, 'Company.dbf'), 'ystart_dt D; yLast_dt D', periods)
    for start, end in periods:
        pfolder = os.path.join(folder, start.strftime('%y%m') + end.strftime('%y%m'))
        os.makedirs(pfolder)
        table(os.path.join(pfolder, 'Ledger.dbf'), 'Acc_cd C(10); Acc_nm C(40)',
              [('CASH', 'Cash in hand'), ('SALES', 'Sales account')])

# The tariff master: tariff number -> unit of quantity.
master = [
    ('74081110', 'KGS'), ('74082100', 'KGS'), ('74071010', 'KGS'), ('72085110', 'MT'),
    ('72193200', 'KGS'), ('76061190', 'KGS'), ('39011010', 'KGS'), ('29051100', 'LTR'),
    ('84713010', 'NOS'), ('85444920', 'MTR'), ('73181500', 'NOS'), ('28151110', 'KGS'),
    ('27101990', 'LTR'), ('48025590', 'KGS'), ('40111010', 'NOS'), ('84818030', None),
]

# stemp4: lines of the excise invoices the dealer issued this quarter.
products = [
    ('Copper wire', '7408 1110'), ('Brass rod 12 mm', '74082100'), ('Copper cathode', '7407.10.10'),
    ('HR coil 2.5 mm', '72085110'), ('SS sheet 304 2B', '72193200'), ('Aluminium plate 6061', '76061190'),
    ('LDPE granules', '39011010'), ('Methanol', '29051100'), ('Laptop computer', '84713010'),
    ('PVC insulated cable', '85444920'), ('Hex bolt M12 & nut', '73181500'), ('Caustic soda flakes', '28151110'),
    ('Lubricating oil', '27101990'), ('Kraft paper roll', '48025590'), ('Car tyre 165/80 R14', '40111010'),
    ('Ball valve 1"', '84818030'),
]
stemp4 = [(1, 'INV/1', datetime.date(2014, 7, 11), 'Copper wire', '7408 1110',
           D('100'), D('500'), D('10.4'), D('5.2'), D('0'))]
serial = 2
day = datetime.date(2014, 4, 3)
for i in range(21):
    name, tariff = products[(i + 1) % len(products)]
    qty = D(str(25 + (i * 37) % 480)) + D('0.5') * (i % 3)
    duty = (qty * D(str(8 + (i * 13) % 90))).quantize(D('0.01')) * D('0.12')
    inv = 'INV/%d' % (2 + i // 2)  # two lines on most invoices
    stemp4.append((serial, inv, day + datetime.timedelta(days=(i * 4) % 85), name, tariff, qty,
                   duty.quantize(D('0.01')), (duty * D('0.02')).quantize(D('0.01')),
                   (duty * D('0.01')).quantize(D('0.01')), D('0')))
    serial += 1
table(os.path.join(root, 'stemp4.DBF'),
      'Col01 N(6,0); Col02 C(20); Col03 D; Col04 C(60); Col05 C(12); Col06 N(14,3); '
      'Col07 N(14,2); Col08 N(14,2); Col09 N(14,2); Col10 N(14,2)', stemp4)

# ptemp5: the supplier documents (invoices, bills of entry) behind those sales.
suppliers = [
    ('X Metals', 'AAACX9999QXD001', 'Pune'), ('Hindalco Traders', 'AABCH1234KXM002', 'Mumbai, Andheri (E)'),
    ('Steel & Alloys Ltd', 'AAECS5678LEM001', '14 MIDC Road, Taloja'), ('Gujarat Chemicals', 'AAFCG4321PXD003', 'Vapi'),
    ('Patel Polymers', 'AAGFP2468RXM001', 'Ahmedabad'), ('Sun Cables Pvt Ltd', 'AAHCS1357TED002', 'Silvassa'),
]
ptemp5 = [(1, 'BE-77', 'X Metals', 'Copper wire', '74081110', D('480'), D('9.6'), D('4.8'), D('0'),
           'AAACX9999QXD001', D('100'), datetime.date(2014, 6, 2), 'X Metals', 'Pune ECC.No.AAACX9999QXD001')]
for i in range(11):
    sname, reg, city = suppliers[(i + 1) % len(suppliers)]
    name, tariff = products[(i + 3) % len(products)]
    tariff = tariff.replace(' ', '').replace('.', '')
    qty = D(str(40 + (i * 53) % 400))
    duty = (qty * D(str(10 + (i * 7) % 70)) * D('0.12')).quantize(D('0.01'))
    ptemp5.append((i + 2, 'PI/%03d' % (101 + i), sname, name, tariff, duty, (duty * D('0.02')).quantize(D('0.01')),
                   (duty * D('0.01')).quantize(D('0.01')), D('0'), reg, qty,
                   datetime.date(2014, 4, 2) + datetime.timedelta(days=(i * 6) % 80), sname,
                   '%s ECC.No.%s' % (city, reg)))
table(os.path.join(root, 'ptemp5.DBF'),
      'Col01 N(6,0); Col02 C(20); Col03 C(60); Col04 C(60); Col05 C(12); Col06 N(14,2); Col07 N(14,2); '
      'Col08 N(14,2); Col09 N(14,2); Col10 C(20); Col11 N(14,3); Col12 D; Col13 C(60); Col14 C(120)', ptemp5)

# The workbook the user imports the master from, and the database already holding it.
book = xlwt.Workbook()
sheet = book.add_sheet('Tariff')
sheet.write(0, 0, 'TariffNo')
sheet.write(0, 1, 'Unit')
sheet.write(0, 2, 'Description')
for r, (tariff, unit) in enumerate(master, start=1):
    sheet.write(r, 0, tariff)
    if unit:
        sheet.write(r, 1, unit)
    sheet.write(r, 2, 'Chapter %s' % tariff[:2])
book.save(os.path.join(root, 'Tariff.xls'))

os.makedirs(os.path.join(root, 'Data'))
db = sqlite3.connect(os.path.join(root, 'Data', 'db.sqlite'))
db.execute('CREATE TABLE Import (TariffNo TEXT, Unit TEXT)')
db.execute('CREATE INDEX ImportTariffNo ON Import (TariffNo)')
db.executemany('INSERT INTO Import (TariffNo, Unit) VALUES (?, ?)', master)
db.commit()
db.close()
