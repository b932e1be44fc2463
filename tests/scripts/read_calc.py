#!/usr/bin/python3
"""Opens CSV files in LibreOffice Calc, each with each of the given import
filter options, in one headless start, and prints what every cell holds as
JSON: {"options": {"file": [[[kind, text], ...], ...]}}, kind being "text",
"number", "formula" or "empty", and a number's text its value ("-5.5").

Usage: read_calc.py PROFILE_DIR OPTIONS[|OPTIONS...] FILE...
Debian's python3 with python3-uno; soffice from libreoffice-calc-nogui."""
import json
import os
import sys

import uno

from calc_office import office_desktop, prop, stop_office

KINDS = {'EMPTY': 'empty', 'VALUE': 'number', 'TEXT': 'text', 'FORMULA': 'formula'}


def cells(desktop, path, options):
    doc = desktop.loadComponentFromURL(
        uno.systemPathToFileUrl(os.path.abspath(path)), '_blank', 0,
        (prop('FilterName', 'Text - txt - csv (StarCalc)'), prop('FilterOptions', options),
         prop('Hidden', True)))
    sheet = doc.Sheets.getByIndex(0)
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    rows = []
    for r in range(cursor.RangeAddress.EndRow + 1):
        row = []
        for c in range(cursor.RangeAddress.EndColumn + 1):
            cell = sheet.getCellByPosition(c, r)
            kind = KINDS[cell.Type.value]
            # A number as its value, whatever the locale Calc shows it in.
            row.append([kind, repr(cell.Value) if kind == 'number' else cell.String])
        rows.append(row)
    doc.close(True)
    return rows


def main():
    profile, options, files = sys.argv[1], sys.argv[2].split('|'), sys.argv[3:]
    office, desktop = office_desktop(profile)
    try:
        json.dump({o: {f: cells(desktop, f, o) for f in files} for o in options},
                  sys.stdout, ensure_ascii=False)
    finally:
        stop_office(office, desktop)


main()
