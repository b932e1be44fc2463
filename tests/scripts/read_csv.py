#!/usr/bin/env python3
"""Reads a CSV file as a spreadsheet with Russian settings would and prints
its records as JSON; fails on a missing byte-order mark or a record that
does not end in CR LF."""
import csv
import io
import json
import re
import sys

with open(sys.argv[1], 'rb') as f:
    raw = f.read()
if not raw.startswith(b'\xef\xbb\xbf'):
    sys.exit('no byte-order mark')
text = raw[3:].decode('utf-8')
outside_quotes = re.sub(r'"(?:[^"]|"")*"', '', text)
if re.search(r'\r(?!\n)|(?<!\r)\n', outside_quotes) or not text.endswith('\r\n'):
    sys.exit('a record does not end in CR LF')
rows = list(csv.reader(io.StringIO(text, newline=''), delimiter=';', strict=True))
json.dump(rows, sys.stdout, ensure_ascii=False)
