#!/usr/bin/env python3
"""Validates swde-check JSON reports against docs/report.schema.json.

Usage: validate_report.py SCHEMA REPORT...   Exit status 1 when a report is not valid JSON or
does not follow the schema (every fault is printed), 0 otherwise.
"""
import json
import sys

import jsonschema


def main(argv):
    with open(argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    failed = False
    for path in argv[2:]:
        try:
            with open(path, encoding="utf-8") as f:
                report = json.load(f)
        except ValueError as e:
            print(f"{path}: not JSON: {e}")
            failed = True
            continue
        for error in validator.iter_errors(report):
            where = "/".join(str(p) for p in error.absolute_path)
            print(f"{path}: at /{where}: {error.message}")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
