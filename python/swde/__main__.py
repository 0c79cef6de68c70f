"""python -m swde: swde-check in Python, with its options that make sense here, its reports
(text, JSON, CSV) and its exit statuses: 0 no error (warnings allowed, unless
--warnings-as-errors), 1 at least one error, 2 a document that could not be read, a bad option or
a report that could not be written."""

from __future__ import annotations

import argparse
import os
import sys
from typing import List, Optional, Sequence

from . import ArgumentError, Error, Report, ReadError, Schema, __version__, check, _writers


def _language() -> str:
    for name in ("LC_ALL", "LC_MESSAGES", "LANG"):
        value = os.environ.get(name)
        if value:
            return "pl" if value.startswith("pl") else "en"
    return "en"


def _delimiter(text: str) -> str:
    if text in ("tab", "\t"):
        return "\t"
    if text in (",", ";", "|"):
        return text
    raise argparse.ArgumentTypeError(
        f'must be , ; | or tab (a tab character or the word), not "{text}"')


def parser() -> argparse.ArgumentParser:
    """The command line's options."""
    p = argparse.ArgumentParser(
        prog="python -m swde",
        description="Checks the objects of SWDE transfer documents (XML) against a reference "
                    "schema.")
    p.add_argument("files", nargs="+", metavar="FILE",
                   help="transfer documents to check ('-' reads standard input)")
    p.add_argument("--annex", metavar="FILE", help="reference schema (XML); default: built-in")
    p.add_argument("--format", choices=("text", "json", "csv"), default="text",
                   help="output format (default: text)")
    p.add_argument("--output", metavar="FILE", help="write the report to FILE")
    p.add_argument("--summary", action="store_true",
                   help="add counts of findings per code and per record type")
    p.add_argument("--quiet", action="store_true", help="write no report at all")
    p.add_argument("-j", "--jobs", type=int, help="threads per document (default: one per core)")
    p.add_argument("--select", action="append", metavar="CODES",
                   help="report only these codes, e.g. 6001,6020-6022")
    p.add_argument("--ignore", action="append", metavar="CODES", help="leave these codes out")
    p.add_argument("--severity", choices=("error", "warning"), default="warning",
                   help="lowest severity reported (default: warning)")
    p.add_argument("--warnings-as-errors", action="store_true",
                   help="exit with status 1 when a warning is reported")
    p.add_argument("--lang", choices=("pl", "en"), help="language of the words around the "
                   "messages in text (default: from LC_ALL, LC_MESSAGES or LANG)")
    p.add_argument("--csv-delimiter", type=_delimiter, default=",",
                   help="CSV field separator: , ; | or tab")
    p.add_argument("--bom", action="store_true", help="begin a CSV report with a byte order mark")
    p.add_argument("--profile", choices=("catalogue", "all"), default="all",
                   help="checks to run (default: all)")
    p.add_argument("--today", help="the day of the check, YYYY.MM.DD (default: today)")
    p.add_argument("--version", action="version", version=f"swde {__version__}")
    return p


def _complain(text: str) -> None:
    print(f"swde: {_writers.shown_bytes(text, True)}", file=sys.stderr)


def main(argv: Optional[Sequence[str]] = None) -> int:
    """Runs the command line with `argv` (None: sys.argv[1:]) and returns its exit status."""
    p = parser()
    args = p.parse_args(argv)
    if args.format != "csv" and (args.csv_delimiter != "," or args.bom):
        p.error("--csv-delimiter and --bom apply to --format csv only")
    if args.format == "csv" and args.summary:
        p.error("--summary cannot be combined with --format csv")
    try:
        annex = Schema.load(args.annex) if args.annex else None
        reports: List[Report] = []
        unreadable = False
        for file in args.files:
            source = sys.stdin.buffer if file == "-" else file
            try:
                reports.append(check(source, annex=annex, jobs=args.jobs, profile=args.profile,
                                     select=args.select, ignore=args.ignore,
                                     errors_only=args.severity == "error", today=args.today,
                                     name="<stdin>" if file == "-" else None))
            except ReadError as e:
                reports.append(e.report)
                unreadable = True
                _complain(str(e))
    except (ArgumentError, Error) as e:
        _complain(str(e))
        return 2
    if not args.quiet:
        filters = bool(args.select or args.ignore or args.severity == "error")
        lang = args.lang or _language()
        text = (_writers.json_text(reports) if args.format == "json" else
                _writers.csv_text(reports, args.csv_delimiter, args.bom)
                if args.format == "csv" else
                _writers.text_report(reports, lang, args.summary, filters))
        data = text.encode("utf-8")
        try:
            if args.output:
                with open(args.output + ".part", "wb") as out:
                    out.write(data)
                os.replace(args.output + ".part", args.output)
            else:
                sys.stdout.buffer.write(data)
                sys.stdout.buffer.flush()
        except OSError as e:
            _complain(f"cannot write the report: {e}")
            return 2
    if unreadable:
        return 2
    errors = sum(r.errors for r in reports)
    warnings = sum(r.warnings for r in reports)
    return 1 if errors or (args.warnings_as_errors and warnings) else 0


if __name__ == "__main__":
    sys.exit(main())
