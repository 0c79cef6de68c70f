#!/usr/bin/env python3
"""Writes the findings of a transfer document to CSV, keyed by parcel identifier (G5IDD), so
that a QGIS user can join them to a parcel layer (Layer Properties > Joins, on parcel_id).

    python3 examples/python/findings_csv.py przeniesienie.xml findings.csv

Only findings about parcels (G5DZE) have a parcel_id; --all-objects keeps the others too, with
an empty parcel_id and their own key. Exit status: 0 written, 2 the document could not be read
to its end (what was found before is written all the same).
"""
import argparse
import csv
import sys

import swde

COLUMNS = ["parcel_id", "line", "code", "severity", "type", "key", "entry", "value",
           "expected", "message"]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("document")
    parser.add_argument("output", nargs="?", help="CSV file (default: standard output)")
    parser.add_argument("--annex", help="reference schema (default: the built-in one)")
    parser.add_argument("--all-objects", action="store_true",
                        help="also the findings of objects other than parcels")
    args = parser.parse_args()

    status = 0
    try:
        report = swde.check(args.document, annex=args.annex)
    except swde.ReadError as error:
        print(f"findings_csv: {error}", file=sys.stderr)
        report, status = error.report, 2

    out = open(args.output, "w", newline="", encoding="utf-8") if args.output else sys.stdout
    with out:
        writer = csv.writer(out)
        writer.writerow(COLUMNS)
        left_out = 0
        for f in report.findings:
            parcel = f.key if f.type == "G5DZE" and f.key else ""
            if not parcel and not args.all_objects:
                left_out += 1
                continue
            writer.writerow([parcel, f.line, f.code, f.severity, f.type, f.key or "",
                             f.entry or "", f.value if f.value is not None else "",
                             f.expected or "", f.message])
    if left_out:
        print(f"findings_csv: {left_out} findings about other objects than parcels left out "
              "(--all-objects keeps them)", file=sys.stderr)
    return status


if __name__ == "__main__":
    sys.exit(main())
