"""Reads a return's workbook with nothing but the standard library and compares
it cell by cell with the return (and the Summary sheet with the command line's
CSV summary). Usage: check_workbook.py WORKBOOK RETURN SUMMARY_CSV.
Prints the first difference and exits 1; exits 0 when all agree."""
import csv
import datetime
import io
import re
import sys
import xml.etree.ElementTree as ET
import zipfile
from decimal import Decimal

M = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
R = '{http://schemas.openxmlformats.org/officeDocument/2006/relationships}'


def read_workbook(path):
    z = zipfile.ZipFile(path)
    shared = []
    if 'xl/sharedStrings.xml' in z.namelist():
        for si in ET.fromstring(z.read('xl/sharedStrings.xml')).iter(M + 'si'):
            shared.append(''.join(t.text or '' for t in si.iter(M + 't')))
    styles = ET.fromstring(z.read('xl/styles.xml'))
    codes = {int(f.get('numFmtId')): f.get('formatCode') for f in styles.iter(M + 'numFmt')}
    xfs = [int(x.get('numFmtId', 0)) for x in styles.find(M + 'cellXfs')]
    rels = {r.get('Id'): r.get('Target') for r in ET.fromstring(z.read('xl/_rels/workbook.xml.rels'))}
    sheets = {}
    for s in ET.fromstring(z.read('xl/workbook.xml')).iter(M + 'sheet'):
        root = ET.fromstring(z.read('xl/' + rels[s.get(R + 'id')]))
        pane = root.find(f'{M}sheetViews/{M}sheetView/{M}pane')
        frozen = pane is not None and pane.get('state') == 'frozen' and pane.get('ySplit') == '1'
        cells = {}
        for c in root.iter(M + 'c'):
            col, row = re.match(r'([A-Z]+)(\d+)', c.get('r')).groups()
            key = (int(row) - 1, ord(col) - ord('A'))
            kind, v = c.get('t'), c.find(M + 'v')
            fmt = codes.get(xfs[int(c.get('s', 0))], '')
            if kind == 's':
                cells[key] = ('text', shared[int(v.text)])
            elif kind == 'inlineStr':
                cells[key] = ('text', ''.join(t.text or '' for t in c.iter(M + 't')))
            elif v is not None:
                cells[key] = ('number', v.text, fmt)
        sheets[s.get('name')] = (frozen, cells)
    return sheets


# What a cell must hold, by kind: ('amount', '96.90').
text, amount, date, count = ((lambda v, k=k: (k, v)) for k in ('text', 'amount', 'date', 'count'))


def agree(expected, cell):
    kind, value = expected
    if kind == 'text':
        return cell == ('text', value) or (value == '' and cell is None)
    if kind == 'amount' and sum(c.isdigit() for c in value) > 15:
        return cell == ('text', value)  # beyond what a number cell holds exactly
    if cell is None or cell[0] != 'number':
        return False
    _, got, fmt = cell
    if kind == 'amount':
        # The cell's text is the return's figure itself (96.9, not 96.90000000000001).
        return fmt == '0.00' and Decimal(got) == Decimal(value)
    if kind == 'date':
        d = datetime.datetime.strptime(value, '%d/%m/%Y').date()
        return fmt == 'dd/mm/yyyy' and Decimal(got) == (d - datetime.date(1899, 12, 30)).days
    return Decimal(got) == Decimal(value)


def expected_sheets(return_path, summary_csv):
    ret = ET.parse(return_path).getroot()
    h, m = ret.find('RETURN/HEADER-DATA'), ret.find('RETURN/SELF-ASSESSMENT-MEMORANDAM')
    header = [[text('Item'), text('Value')]] + [
        [text(label), kind(part.findtext(tag))] for label, kind, part, tag in [
            ('Return year', text, h, 'RETURN-YEAR'), ('Quarter', text, h, 'QUARTER'),
            ('Dealer name', text, h, 'DEALER-NAME'), ('Registration number', text, h, 'REGISTRATION-NUMBER'),
            ('Nil return', text, h, 'NIL-RETURN'), ('Date', date, m, 'DATE'), ('Place', text, m, 'PLACE'),
            ('Remarks', text, m, 'REMARKS')]]

    def goods(e):
        i = e.find('INVOICE-ITEMS')
        return [text(i.findtext('DESCRIPTION-OF-GOODS')), text(i.findtext('CETSH-NUMBER')),
                text(i.findtext('QUANTITY-CODE')), amount(i.findtext('QUANTITY')),
                amount(i.findtext('AMOUNT-OF-DUTY-INVOLVED'))]

    invoices = [[count(e.get('SL-NO')), text(e.findtext('INVOICE-NUMBER')), date(e.findtext('INVOICE-DATE'))] + goods(e)
                for e in ret.iter('INVOICE-PARTICULARS')]
    documents = [[count(e.get('SL-NO')), text(e.findtext('INVOICE-BILL-ENTRY-NO')), date(e.findtext('DATE'))]
                 + [text(e.findtext(t)) for t in ('ISSUED-BY', 'REGISTRATION-NUMBER', 'NAME', 'ADDRESS')] + goods(e)
                 for e in ret.iter('DOCUMENT-DETAIL')]
    kinds = [text, text, count, amount, amount, count, amount, amount, amount, text]
    with open(summary_csv, newline='', encoding='utf-8') as f:
        rows = list(csv.reader(io.StringIO(f.read())))
    summary = [[k(v) for k, v in zip(kinds, row)] for row in rows[1:]]
    return {'Header': header, 'Invoices': invoices, 'Documents': documents, 'Summary': summary}


def main(workbook, return_path, summary_csv):
    sheets = read_workbook(workbook)
    expected = expected_sheets(return_path, summary_csv)
    if list(sheets) != list(expected):
        return f'sheets {list(sheets)}'
    for name, rows in expected.items():
        frozen, cells = sheets[name]
        if not frozen:
            return f'{name}: the title row is not frozen'
        titled = name != 'Header'  # the Header sheet's titles are among its expected rows
        for r, row in enumerate(rows):
            for c, want in enumerate(row):
                got = cells.pop((r + titled, c), None)
                if not agree(want, got):
                    return f'{name} row {r + titled + 1} column {c + 1}: {got} is not {want}'
        extra = [k for k in cells if k[0] >= titled]
        if extra:
            return f'{name}: cells beyond the return: {sorted(extra)[:3]}'
    return None


if __name__ == '__main__':
    problem = main(*sys.argv[1:4])
    if problem:
        print(problem)
        sys.exit(1)
