"""Semantic checks of SWDE cadastral transfer documents.

    report = swde.check("przeniesienie.xml")
    for f in report.findings:
        print(f.file, f.line, f.code, f.severity, f.type, f.key, f.message)

Texts go in and come out as str; documents are read in the encoding they declare. Paths are
taken as open() takes them (str, bytes, os.PathLike) and given back as str, bytes that are not
UTF-8 as surrogate escapes (os.fsdecode). A check started from the main thread can be stopped by
Ctrl-C: KeyboardInterrupt comes within a fraction of a second.
"""

import json as _json
import operator as _operator
import os as _os
import threading as _threading

from . import _swde

__all__ = ["check", "check_bytes", "Schema", "Object", "Report", "Finding",
           "Error", "ArgumentError", "ReadError", "SchemaError"]
__version__ = _swde.version

Report = _swde.Report
Finding = _swde.Finding


class Error(Exception):
    """Anything the library could not do."""


class ArgumentError(Error, ValueError):
    """A bad argument: an unknown profile, a bad list of codes, text windows-1250 cannot hold, a
    number out of its range (jobs=-1)."""


class SchemaError(Error):
    """A reference schema that cannot be opened or read, or has semantic mistakes."""


class ReadError(Error):
    """A document that cannot be opened or read to its end.

    `file`, `line` and `column` locate the failure (0 when it has no position); `report` holds
    what was found before it."""

    def __init__(self, message, file, line, column, report):
        super().__init__(message)
        self.file, self.line, self.column, self.report = file, line, column, report


class Schema:
    """A reference schema: Schema.builtin(), Schema.load(path) or Schema.parse(text)."""

    __slots__ = ("_schema",)

    def __init__(self, schema):
        self._schema = schema

    @property
    def warnings(self):
        """Doubtful definitions, as "NAME:LINE: MESSAGE" lines; a schema with mistakes (an
        unknown base type, an undeclared attribute, an undefined target) raises SchemaError."""
        text = self._schema.warnings
        return text.split("\n") if text else []

    @classmethod
    def builtin(cls):
        return cls(_swde.Schema.builtin())

    @classmethod
    def load(cls, path):
        return cls(_swde.Schema.load(_path(path, "path")))

    @classmethod
    def parse(cls, text, name="<schema>"):
        """`text` is bytes, or str sent as UTF-8 (so it must not declare another encoding)."""
        return cls(_swde.Schema.parse(_bytes(text), _path(name, "name")))


def _bytes(text):
    return text.encode("utf-8") if isinstance(text, str) else bytes(text)


def _path(path, what):
    """A path (or a name standing for a file) as the bytes the system gets: str, with surrogate
    escapes, bytes or os.PathLike, as open() takes it."""
    raw = _os.fsencode(path)
    if b"\0" in raw:
        raise ValueError(f"{what}: embedded null byte")
    return raw


def _number(value, what, limit):
    """An integer in 0..limit: TypeError when it is no integer, ArgumentError out of range."""
    value = _operator.index(value)
    if not 0 <= value <= limit:
        raise ArgumentError(f"{what}: {value} is not in 0..{limit}")
    return value


_UINT32 = 0xFFFFFFFF


def _schema(annex):
    if annex is None:
        return None
    if isinstance(annex, Schema):
        return annex._schema
    return Schema.load(annex)._schema


def _codes(codes):
    if codes is None:
        return []
    return [str(codes)] if isinstance(codes, (str, int)) else [str(c) for c in codes]


def _run(label, data, annex, jobs, profile, select, ignore, errors_only, today):
    interruptible = _threading.current_thread() is _threading.main_thread()
    report, failed = _swde.check_document(
        label, data, _os.fsdecode(label), _schema(annex),
        0 if jobs is None else _number(jobs, "jobs", 256), profile, _codes(select),
        _codes(ignore), bool(errors_only), today or "", interruptible)
    if failed:
        file, line, column, message = report.failure
        raise ReadError(f"{file}:{line}:{column}: {message}" if line else f"{file}: {message}",
                        file, line, column, report)
    return report


def check(path, annex=None, jobs=None, profile="all", select=None, ignore=None,
          errors_only=False, today=None):
    """Checks the transfer document at `path` and returns its Report.

    annex: None (the built-in reference schema), a Schema, or a path to one.
    jobs: threads (None: one per core). profile: "all" or "catalogue".
    select, ignore: codes as "6001,6020-6022" or a list of such. errors_only: no warnings.
    today: the day of the check, "rrrr.mm.dd" (None: the day it runs).
    Raises ReadError when the document cannot be read to its end. The GIL is released meanwhile;
    from the main thread, Ctrl-C stops the check with KeyboardInterrupt.
    """
    return _run(_path(path, "path"), None, annex, jobs, profile, select, ignore, errors_only,
                today)


def check_bytes(data, name="<memory>", annex=None, jobs=None, profile="all", select=None,
                ignore=None, errors_only=False, today=None):
    """check() for a document held in memory: bytes, or str sent as UTF-8. `name` stands for the
    file in the report, given as a path would be."""
    return _run(_path(name, "name"), _bytes(data), annex, jobs, profile, select, ignore,
                errors_only, today)


class Object:
    """One object built field by field, for a host with its own reader."""

    __slots__ = ("_object",)

    def __init__(self, type, status=None, base_type=None, line=0, id=0):
        self._object = _swde.Object(type, status, base_type, _number(line, "line", _UINT32),
                                    _number(id, "id", _UINT32))

    def add_attribute(self, name, value=None, line=0, id=None):
        """id None (or 0): the entry's ordinal among the object's attributes, from 1."""
        self._object.add_attribute(name, value, _number(line, "line", _UINT32),
                                   _number(id or 0, "id", _UINT32))
        return self

    def add_relation(self, name, target_type=None, target=None, line=0, id=None):
        """id None (or 0): the entry's ordinal among the object's relations, from 1."""
        self._object.add_relation(name, target_type, target, _number(line, "line", _UINT32),
                                  _number(id or 0, "id", _UINT32))
        return self

    def check(self, schema=None):
        """The object's findings (a list of Finding) against `schema` (None: the built-in)."""
        return list(self._object.check(_schema(schema)).findings)


def _to_dict(report):
    """The report as the JSON contract of swde-check --format json, in Python objects (file
    names as the C interface gives them: bytes that are not UTF-8 written as \\xHH)."""
    return _json.loads(report.to_json())


def _finding_repr(finding):
    return f"<Finding {finding.code}@{finding.line} {finding.type}: {finding.message}>"


Report.to_dict = _to_dict
Report.__iter__ = lambda self: iter(self.findings)
Report.__len__ = lambda self: len(self.findings)
Finding.__repr__ = _finding_repr
