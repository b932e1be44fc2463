#!/usr/bin/python3
"""Fills a sheet in LibreOffice Calc as a user with Russian settings would
(numbers as numbers in the Russian money format with thousands grouped,
dates as dates in dd.mm.yyyy, texts as texts) and saves it as CSV the way
Calc's "Save as" does, cell contents as shown: once in UTF-8 and once in
Windows-1251, both with ';' between fields.

Usage: write_calc.py PROFILE_DIR UTF8_FILE CP1251_FILE
Debian's python3 with python3-uno; soffice from libreoffice-calc-nogui."""
import os
import sys

import uno
from com.sun.star.lang import Locale

from calc_office import office_desktop, prop, stop_office

RUSSIAN = Locale('ru', 'RU', '')
ENGLISH = Locale('en', 'US', '')

TITLES = ['Наименование', 'Категория', 'Год', 'IDE', 'Цена', 'Начало', 'Экспорт проекта', 'Описание']
# name, category, year (a number), IDE, price, start (y, m, d), export flag, description
ROWS = [
    ['Касса «Ёлка»', 'Учёт', 2012, 'Студия 2012', 1234567.8912, (2012, 2, 1), 'Да',
     'Строка; первая\n"вторая"'],
    ['Склад', 'Учёт', 2013, '', -0.0001, (2013, 12, 31), 'Нет', '=1+1'],
    ['Зарплата', 'Кадры', 2013, 'IDE 7.1', 250, (1999, 3, 9), 'Да', ''],
]


def date_serial(y, m, d):
    import datetime
    return (datetime.date(y, m, d) - datetime.date(1899, 12, 30)).days


def number_format(doc, english_code):
    formats = doc.NumberFormats
    return formats.addNewConverted(english_code, ENGLISH, RUSSIAN)


def main():
    profile, utf8_file, cp1251_file = sys.argv[1:4]
    office, desktop = office_desktop(profile)
    try:
        doc = desktop.loadComponentFromURL('private:factory/scalc', '_blank', 0, (prop('Hidden', True),))
        doc.CharLocale = RUSSIAN
        sheet = doc.Sheets.getByIndex(0)
        money = number_format(doc, '#,##0.0000')
        date = number_format(doc, 'DD.MM.YYYY')
        for c, title in enumerate(TITLES):
            sheet.getCellByPosition(c, 0).setString(title)
        for r, row in enumerate(ROWS, start=1):
            for c, value in enumerate(row):
                cell = sheet.getCellByPosition(c, r)
                if c == 4:
                    cell.setValue(value)
                    cell.NumberFormat = money
                elif c == 5:
                    cell.setValue(date_serial(*value))
                    cell.NumberFormat = date
                elif isinstance(value, int):
                    cell.setValue(value)
                else:
                    cell.setString(value)
        # Separator ';', quote '"', the character set, titles on line 1,
        # Russian, texts quoted as needed, cell contents as shown.
        for path, charset in ((utf8_file, 76), (cp1251_file, 34)):
            doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(path)),
                           (prop('FilterName', 'Text - txt - csv (StarCalc)'),
                            prop('FilterOptions', '59,34,%d,1,,1049,false,true,true' % charset)))
        doc.close(True)
    finally:
        stop_office(office, desktop)


main()
