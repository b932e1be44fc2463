#!/usr/bin/python3
"""Opens CSV files in LibreOffice Calc, each with each of the given import
filter options, in one headless start, and prints what every cell holds as
JSON: {"options": {"file": [[[kind, text], ...], ...]}}, kind being "text",
"number", "formula" or "empty", and a number's text its value ("-5.5").

Usage: read_calc.py PROFILE_DIR OPTIONS[|OPTIONS...] FILE...
Debian's python3 with python3-uno; soffice from libreoffice-calc-nogui."""
import json
import os
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException

KINDS = {'EMPTY': 'empty', 'VALUE': 'number', 'TEXT': 'text', 'FORMULA': 'formula'}


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def connect(profile):
    pipe = 'calc%d' % os.getpid()
    office = subprocess.Popen(
        ['soffice', '--headless', '--invisible', '--norestore', '--nologo', '--nodefault',
         '-env:UserInstallation=' + uno.systemPathToFileUrl(os.path.abspath(profile)),
         '--accept=pipe,name=%s;urp;' % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    resolver = uno.getComponentContext().ServiceManager.createInstanceWithContext(
        'com.sun.star.bridge.UnoUrlResolver', uno.getComponentContext())
    for _ in range(600):
        try:
            context = resolver.resolve('uno:pipe,name=%s;urp;StarOffice.ComponentContext' % pipe)
            return office, context.ServiceManager.createInstanceWithContext(
                'com.sun.star.frame.Desktop', context)
        except NoConnectException:
            if office.poll() is not None:
                sys.exit('soffice ended before it could be reached')
            time.sleep(0.1)
    office.kill()
    sys.exit('soffice could not be reached')


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
    office, desktop = connect(profile)
    try:
        json.dump({o: {f: cells(desktop, f, o) for f in files} for o in options},
                  sys.stdout, ensure_ascii=False)
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        try:
            office.wait(30)
        except subprocess.TimeoutExpired:
            office.kill()


main()
