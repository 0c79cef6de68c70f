"""Semantic checks of SWDE cadastral transfer documents.

    report = swde.check("przeniesienie.xml")
    for f in report.findings:
        print(f.file, f.line, f.code, f.severity, f.type, f.key, f.message)

Texts go in and come out as str; documents are read in the encoding they declare. Paths are
taken as open() takes them (str, bytes, os.PathLike) and given back as str, bytes that are not
UTF-8 as surrogate escapes (os.fsdecode); an open binary file object is read as it comes.
A document held in memory goes to check_bytes(). Reports and findings are plain values: they
compare, pickle (so they cross a process pool) and print as what they are. A check started from
the main thread can be stopped by Ctrl-C: KeyboardInterrupt comes within a fraction of a second.
"""

from __future__ import annotations

import json as _json
import operator as _operator
import os as _os
import threading as _threading
from typing import (IO, Any, Dict, Iterable, Iterator, NamedTuple, Optional, Tuple, Type, Union,
                    cast)

from . import _swde
from . import _writers

__all__ = ["check", "check_bytes", "Schema", "Object", "Report", "Finding", "Failure",
           "Error", "ArgumentError", "ReadError", "SchemaError", "DocumentNotFoundError",
           "DocumentPermissionError", "DocumentIsADirectoryError",
           "SchemaNotFoundError", "SchemaPermissionError", "SchemaIsADirectoryError"]
__version__: str = _swde.version

#: What check() takes for a document: a path as open() takes it, or a binary file object.
PathLike = Union[str, bytes, "_os.PathLike[str]", "_os.PathLike[bytes]"]
Source = Union[PathLike, IO[bytes]]
#: What select= and ignore= take: "6001,6020-6022", a code, or a list of such.
Codes = Union[None, str, int, Iterable[Union[str, int]]]


class Error(Exception):
    """Anything the library could not do."""

    def __str__(self) -> str:
        # The message as it was given, also for the subclasses that are OSErrors with an errno.
        return str(self.args[0]) if self.args else ""


class ArgumentError(Error, ValueError):
    """A bad argument: an unknown profile, a bad list of codes, text windows-1250 cannot hold, a
    number out of its range (jobs=-1)."""


class SchemaError(Error):
    """A reference schema that cannot be opened or read, or has semantic mistakes. One that
    cannot be opened raises a subclass that is also the matching OSError: SchemaNotFoundError,
    SchemaPermissionError, SchemaIsADirectoryError."""


class SchemaNotFoundError(SchemaError, FileNotFoundError):
    """A schema file that does not exist: a SchemaError and a FileNotFoundError."""


class SchemaPermissionError(SchemaError, PermissionError):
    """A schema file this process may not read: a SchemaError and a PermissionError."""


class SchemaIsADirectoryError(SchemaError, IsADirectoryError):
    """A directory given as a schema: a SchemaError and an IsADirectoryError."""


class Failure(NamedTuple):
    """Where and why a document could not be read to its end (line and column 0: no position)."""

    file: str
    line: int
    column: int
    message: str


class ReadError(Error):
    """A document that cannot be opened or read to its end.

    `file`, `line` and `column` locate the failure (0 when it has no position); `report` holds
    what was found before it. A document that cannot be opened raises one of the subclasses that
    are also the matching OSError: DocumentNotFoundError, DocumentPermissionError,
    DocumentIsADirectoryError."""

    def __init__(self, message: str, file: str, line: int, column: int,
                 report: "Report") -> None:
        super().__init__(message)
        self.file, self.line, self.column, self.report = file, line, column, report


class DocumentNotFoundError(ReadError, FileNotFoundError):
    """A document that does not exist: a ReadError and a FileNotFoundError."""


class DocumentPermissionError(ReadError, PermissionError):
    """A document this process may not read: a ReadError and a PermissionError."""


class DocumentIsADirectoryError(ReadError, IsADirectoryError):
    """A directory given as a document: a ReadError and an IsADirectoryError."""


_OPEN_ERRORS: Dict[Type[OSError], Type[ReadError]] = {
    FileNotFoundError: DocumentNotFoundError, PermissionError: DocumentPermissionError,
    IsADirectoryError: DocumentIsADirectoryError}
_SCHEMA_OPEN_ERRORS: Dict[Type[OSError], Type[SchemaError]] = {
    FileNotFoundError: SchemaNotFoundError, PermissionError: SchemaPermissionError,
    IsADirectoryError: SchemaIsADirectoryError}

_FIELD_DOCS = {
    "file": "The document's name, as it was given (None for an object checked on its own).",
    "line": "The line the finding is about: of the entry, else of the object (0: unknown).",
    "code": "The code of the finding, 2001-7999 (docs/errors.md lists them).",
    "severity": '"error" or "warning".',
    "type": "The record type of the object, such as G5DZE.",
    "object_id": "The object's ordinal in the document, from 1.",
    "entry_id": "The entry's ordinal among the object's attributes or relations, or None.",
    "entry": "The name of the attribute or relation the finding is about, or None.",
    "key": "The object's key (its identifier and those of its parents), or None.",
    "value": "The value found wrong, or None.",
    "expected": "What was expected instead, or None.",
    "message": "The message of the code, in Polish.",
}


class Finding(NamedTuple):
    """One finding of a check: a value that compares, hashes and pickles.

    f.to_dict() gives its fields by name (None where it has none); repr() shows its code, line,
    type and message."""

    file: Optional[str]
    line: int
    code: int
    severity: str
    type: str
    object_id: int
    entry_id: Optional[int]
    entry: Optional[str]
    key: Optional[str]
    value: Optional[str]
    expected: Optional[str]
    message: str

    def to_dict(self) -> Dict[str, Any]:
        """The fields by name, in their order; those the finding has not are None (the JSON
        report leaves them out)."""
        return dict(zip(self._fields, self))

    def __repr__(self) -> str:
        return f"<Finding {self.code}@{self.line} {self.type} {self.severity}: {self.message}>"


for _name, _doc in _FIELD_DOCS.items():
    getattr(Finding, _name).__doc__ = _doc


def _finding(row: Tuple[Any, ...]) -> Finding:
    return Finding._make(row)


class Report:
    """What a document's check found: its findings in document order and the counts.

    A value: it compares equal to a report of the same findings and counts, and pickles (the
    JSON report of a report that was pickled is written by the package, byte for byte the one
    the library writes). len() and iteration go over the findings."""

    __slots__ = ("_raw", "_findings", "_file", "_counts", "_failure")

    def __init__(self, file: Optional[str], findings: Iterable[Finding],
                 counts: Tuple[int, int, int, int, int],
                 failure: Optional[Failure] = None) -> None:
        """A report of `findings` in `file`; `counts` are (objects, checked, errors, warnings,
        filtered)."""
        self._raw: Any = None
        self._findings: Optional[Tuple[Finding, ...]] = tuple(findings)
        self._file = file
        self._counts = tuple(counts)
        self._failure = failure

    @classmethod
    def _of(cls, raw: Any) -> "Report":
        report = cls.__new__(cls)
        report._raw, report._findings, report._file = raw, None, raw.file
        report._counts = (raw.objects, raw.checked, raw.errors, raw.warnings, raw.filtered)
        failure = raw.failure
        report._failure = None if failure is None else Failure(*failure)
        return report

    @property
    def file(self) -> Optional[str]:
        """The document's name, as it was given."""
        return self._file

    @property
    def findings(self) -> Tuple[Finding, ...]:
        """The findings in document order (made once, so indexing in a loop stays cheap)."""
        if self._findings is None:
            self._findings = tuple(map(_finding, self._raw.rows()))
        return self._findings

    @property
    def objects(self) -> int:
        """Objects read."""
        return self._counts[0]

    @property
    def checked(self) -> int:
        """Objects checked (those of known record types)."""
        return self._counts[1]

    @property
    def errors(self) -> int:
        """Findings of severity error, after the filters."""
        return self._counts[2]

    @property
    def warnings(self) -> int:
        """Findings of severity warning, after the filters."""
        return self._counts[3]

    @property
    def filtered(self) -> int:
        """Findings that select=, ignore= or errors_only= left out."""
        return self._counts[4]

    @property
    def failure(self) -> Optional[Failure]:
        """None, or where the document could not be read to its end."""
        return self._failure

    def to_json(self) -> str:
        """The report as swde-check --format json writes it for this one document."""
        if self._raw is not None:
            return cast(str, self._raw.to_json())
        return _writers.json_text([self])

    def to_dict(self) -> Dict[str, Any]:
        """The JSON report in Python objects (file names as the JSON gives them: bytes that are
        not UTF-8 written as \\xHH)."""
        return cast(Dict[str, Any], _json.loads(self.to_json()))

    def _key(self) -> Tuple[Any, ...]:
        return (self._file, self._counts, self._failure, self.findings)

    def __eq__(self, other: object) -> bool:
        return isinstance(other, Report) and self._key() == other._key()

    def __hash__(self) -> int:
        return hash(self._key())

    def __reduce__(self) -> Tuple[Any, ...]:
        return (Report, (self._file, self.findings, self._counts, self._failure))

    def __iter__(self) -> Iterator[Finding]:
        return iter(self.findings)

    def __len__(self) -> int:
        return len(self.findings)

    def __repr__(self) -> str:
        failed = f", failed at line {self._failure.line}" if self._failure else ""
        return (f"<Report {self._file!r}: {self.objects} objects, {self.errors} errors, "
                f"{self.warnings} warnings{failed}>")


class Schema:
    """A reference schema: Schema.builtin(), Schema.load(path) or Schema.parse(text)."""

    __slots__ = ("_schema", "_name")

    def __init__(self, schema: Any, name: str = "<built-in>") -> None:
        self._schema = schema
        self._name = name

    @property
    def name(self) -> str:
        """Where the schema came from: its path, the name given to parse(), or <built-in>."""
        return self._name

    @property
    def warnings(self) -> list[str]:
        """Doubtful definitions, as "NAME:LINE: MESSAGE" lines; a schema with mistakes (an
        unknown base type, an undeclared attribute, an undefined target) raises SchemaError."""
        text: str = self._schema.warnings
        return text.split("\n") if text else []

    @classmethod
    def builtin(cls) -> "Schema":
        """The built-in reference schema."""
        return cls(_swde.Schema.builtin())

    @classmethod
    def load(cls, path: PathLike) -> "Schema":
        """The schema in the file at `path`; SchemaError when it cannot be read or is wrong."""
        raw = _path(path, "path")
        try:
            return cls(_swde.Schema.load(raw), _os.fsdecode(raw))
        except SchemaError as e:
            cause = _open_error(raw)
            if cause is None:
                raise
            kind = _SCHEMA_OPEN_ERRORS.get(type(cause), SchemaError)
            raise _caused(kind(str(e)), cause, _os.fsdecode(raw)) from None

    @classmethod
    def parse(cls, text: Union[str, bytes], name: PathLike = "<schema>") -> "Schema":
        """The schema in `text`: bytes, or str sent as UTF-8 (so it must not declare another
        encoding); `name` stands for its file in messages."""
        raw = _path(name, "name")
        return cls(_swde.Schema.parse(_bytes(text), raw), _os.fsdecode(raw))

    def __repr__(self) -> str:
        return f"<Schema {self._name!r}, {len(self.warnings)} warnings>"


def _bytes(text: Union[str, bytes, bytearray, memoryview]) -> bytes:
    return text.encode("utf-8") if isinstance(text, str) else bytes(text)


def _path(path: PathLike, what: str) -> bytes:
    """A path (or a name standing for a file) as the bytes the system gets: str, with surrogate
    escapes, bytes or os.PathLike, as open() takes it."""
    if isinstance(path, (bytearray, memoryview)):
        raise TypeError(f"{what}: a path is str, bytes or os.PathLike, not "
                        f"{type(path).__name__} (check_bytes() checks a document in memory)")
    raw = _os.fsencode(path)
    if b"\0" in raw:
        raise ValueError(f"{what}: embedded null byte")
    return raw


def _number(value: int, what: str, limit: int) -> int:
    """An integer in 0..limit: TypeError when it is no integer, ArgumentError out of range."""
    value = _operator.index(value)
    if not 0 <= value <= limit:
        raise ArgumentError(f"{what}: {value} is not in 0..{limit}")
    return value


_UINT32 = 0xFFFFFFFF


def _schema(annex: Union[None, Schema, PathLike]) -> Any:
    if annex is None:
        return None
    if isinstance(annex, Schema):
        return annex._schema
    return Schema.load(annex)._schema


def _codes(codes: Codes) -> list[str]:
    if codes is None:
        return []
    return [str(codes)] if isinstance(codes, (str, int)) else [str(c) for c in codes]


def _stream_name(stream: IO[bytes], name: Optional[PathLike]) -> bytes:
    given = getattr(stream, "name", None) if name is None else name
    return _path(given, "name") if isinstance(given, (str, bytes, _os.PathLike)) else b"<stream>"


def _open_error(label: bytes) -> Optional[OSError]:
    """The OSError that opening the document raises, if it does."""
    try:
        with open(label, "rb"):
            return None
    except OSError as e:
        return e


def _caused(error: Error, cause: OSError, file: str) -> Error:
    """`error`, given the errno, strerror and filename of `cause` when it is an OSError too."""
    if isinstance(error, OSError):
        error.errno, error.strerror, error.filename = cause.errno, cause.strerror, file
    return error


def _run(label: bytes, data: Optional[bytes], stream: Optional[IO[bytes]], annex: Any,
         jobs: Optional[int], profile: str, select: Codes, ignore: Codes, errors_only: bool,
         today: Optional[str]) -> Report:
    interruptible = _threading.current_thread() is _threading.main_thread()
    raw, failed = _swde.check_document(
        label, data, _os.fsdecode(label), _schema(annex),
        0 if jobs is None else _number(jobs, "jobs", 256), profile, _codes(select),
        _codes(ignore), bool(errors_only), today or "", interruptible, stream)
    report = Report._of(raw)
    if failed:
        file, line, column, message = cast(Failure, report.failure)
        text = f"{file}:{line}:{column}: {message}" if line else f"{file}: {message}"
        cause = _open_error(label) if data is None and stream is None and not line else None
        kind = _OPEN_ERRORS.get(type(cause), ReadError) if cause is not None else ReadError
        if kind is DocumentNotFoundError and label.startswith(b"<"):
            text += " (bytes are a path, as for open(); check_bytes() checks a document in memory)"
        error = kind(text, file, line, column, report)
        raise error if cause is None else _caused(error, cause, file)
    return report


def check(path: Source, annex: Union[None, Schema, PathLike] = None, jobs: Optional[int] = None,
          profile: str = "all", select: Codes = None, ignore: Codes = None,
          errors_only: bool = False, today: Optional[str] = None,
          name: Optional[PathLike] = None) -> Report:
    """Checks a transfer document and returns its Report.

    path: the document's path (str, bytes or os.PathLike, as open() takes it), or a file object
    opened in binary mode, read as it comes (its `name`, else `name`, else "<stream>" names it).
    annex: None (the built-in reference schema), a Schema, or a path to one.
    jobs: threads (None: one per core). profile: "all" or "catalogue".
    select, ignore: codes as "6001,6020-6022" or a list of such. errors_only: no warnings.
    today: the day of the check, "rrrr.mm.dd" (None: the day it runs).
    Raises ReadError when the document cannot be read to its end; one that cannot be opened
    raises a ReadError that is also FileNotFoundError, PermissionError or IsADirectoryError.
    The GIL is released meanwhile; from the main thread, Ctrl-C stops the check with
    KeyboardInterrupt.
    """
    if hasattr(path, "read"):
        stream = cast(IO[bytes], path)
        return _run(_stream_name(stream, name), None, stream, annex, jobs, profile, select,
                    ignore, errors_only, today)
    return _run(_path(cast(PathLike, path), "path"), None, None, annex, jobs, profile, select,
                ignore, errors_only, today)


def check_bytes(data: Union[str, bytes, bytearray, memoryview], name: PathLike = "<memory>",
                annex: Union[None, Schema, PathLike] = None, jobs: Optional[int] = None,
                profile: str = "all", select: Codes = None, ignore: Codes = None,
                errors_only: bool = False, today: Optional[str] = None) -> Report:
    """check() for a document held in memory: bytes (bytearray, memoryview), or str sent as
    UTF-8. `name` stands for the file in the report, given as a path would be."""
    return _run(_path(name, "name"), _bytes(data), None, annex, jobs, profile, select, ignore,
                errors_only, today)


class Object:
    """One object built field by field, for a host with its own reader."""

    __slots__ = ("_object", "_what", "_attributes", "_relations")

    def __init__(self, type: str, status: Optional[str] = None, base_type: Optional[str] = None,
                 line: int = 0, id: int = 0) -> None:
        """An object of the record `type`, with its status and base type (None: absent), at
        `line`, the `id`-th object of its document."""
        self._object = _swde.Object(type, status, base_type, _number(line, "line", _UINT32),
                                    _number(id, "id", _UINT32))
        self._what = " ".join([type] + [f"{k}={v}" for k, v in
                                        (("status", status), ("base_type", base_type)) if v])
        self._attributes = self._relations = 0

    def add_attribute(self, name: str, value: Optional[str] = None, line: int = 0,
                      id: Optional[int] = None) -> "Object":
        """Adds an attribute (value None: absent). id None (or 0): the entry's ordinal among
        the object's attributes, from 1. Returns the object, so that calls chain."""
        self._object.add_attribute(name, value, _number(line, "line", _UINT32),
                                   _number(id or 0, "id", _UINT32))
        self._attributes += 1
        return self

    def add_relation(self, name: str, target_type: Optional[str] = None,
                     target: Optional[str] = None, line: int = 0,
                     id: Optional[int] = None) -> "Object":
        """Adds a relation to the object `target` of `target_type`. id None (or 0): the entry's
        ordinal among the object's relations, from 1. Returns the object."""
        self._object.add_relation(name, target_type, target, _number(line, "line", _UINT32),
                                  _number(id or 0, "id", _UINT32))
        self._relations += 1
        return self

    def check(self, schema: Optional[Schema] = None) -> list[Finding]:
        """The object's findings against `schema` (None: the built-in)."""
        return list(Report._of(self._object.check(_schema(schema))).findings)

    def __repr__(self) -> str:
        return f"<Object {self._what}: {self._attributes} attributes, {self._relations} relations>"
