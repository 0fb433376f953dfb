#!/usr/bin/python3
"""Writes an Excel 97-2003 workbook (.xls, with Debian's python3-xlwt) whose
sheet "Sheet1" holds a tariff master as a user keeps it: a title row
(Description, TariffNo, Unit, Duty %), then one row per tariff number. Most
numbers are text, some were typed as numbers; some units are empty.

Run: /usr/bin/python3 bench/make_tariff_sheet.py --rows 65535 --out /tmp/tariff.xls
"""
import argparse
import os
import random
import sys

import xlwt

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_quarter import tariff_master  # noqa: E402

XLS_MAX_ROWS = 65536  # a BIFF8 sheet, title row included


def main():
    p = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    p.add_argument('--rows', type=int, default=XLS_MAX_ROWS - 1, help='tariff rows below the title row')
    p.add_argument('--out', required=True)
    p.add_argument('--seed', type=int, default=11)
    a = p.parse_args()
    if not 0 <= a.rows <= XLS_MAX_ROWS - 1:
        sys.exit('--rows must be between 0 and %d (an .xls sheet has %d rows)' % (XLS_MAX_ROWS - 1, XLS_MAX_ROWS))

    rnd = random.Random(a.seed)
    book = xlwt.Workbook()
    sheet = book.add_sheet('Sheet1')
    for col, title in enumerate(('Description', 'TariffNo', 'Unit', 'Duty %')):
        sheet.write(0, col, title)
    for r, (tariff, unit) in enumerate(tariff_master(a.rows, a.seed), start=1):
        sheet.write(r, 0, 'Chapter %s heading %s' % (tariff[:2], tariff[2:4]))
        sheet.write(r, 1, int(tariff) if rnd.random() < 0.2 else tariff)
        if unit:
            sheet.write(r, 2, unit)
        sheet.write(r, 3, rnd.choice((12.36, 10.3, 6, 0)))
    book.save(a.out)


if __name__ == '__main__':
    main()
