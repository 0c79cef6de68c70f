"""The reports of swde-check in Python: text, JSON and CSV, byte for byte as the tool writes them
for the same findings (python -m swde and Report.to_json of a report that was pickled)."""

from __future__ import annotations

import json
from typing import TYPE_CHECKING, Dict, List, NamedTuple, Optional, Sequence, Tuple

if TYPE_CHECKING:
    from . import Finding, Report

_COUNTS = ("objects", "checked", "errors", "warnings", "filtered")


class Words(NamedTuple):
    error: str
    warning: str
    fatal: str
    value: str
    expected: str
    key: str
    by_code: str
    by_type: str


WORDS = {
    "en": Words("error", "warning", "fatal", "value", "expected", "key", "By code:",
                "By record type:"),
    "pl": Words("błąd", "ostrzeżenie", "błąd krytyczny", "wartość", "oczekiwano", "klucz",
                "Według kodu:", "Według typu rekordu:"),
}
# (one, few, many) of each counted word, in English and in Polish.
FORMS = {
    "file": (("file", "files", "files"), ("plik", "pliki", "plików")),
    "unreadable": (("unreadable",) * 3, ("nieczytelny", "nieczytelne", "nieczytelnych")),
    "object": (("object", "objects", "objects"), ("obiekt", "obiekty", "obiektów")),
    "checked": (("checked",) * 3, ("sprawdzony", "sprawdzone", "sprawdzonych")),
    "error": (("error", "errors", "errors"), ("błąd", "błędy", "błędów")),
    "warning": (("warning", "warnings", "warnings"), ("ostrzeżenie", "ostrzeżenia", "ostrzeżeń")),
}


def counted(count: int, word: str, lang: str) -> str:
    """`count` and the form of `word` that goes with it ("2 błędy", "5 błędów")."""
    one, few, many = FORMS[word][lang == "pl"]
    form = many
    if count == 1:
        form = one
    elif lang == "pl" and 2 <= count % 10 <= 4 and not 12 <= count % 100 <= 14:
        form = few
    return f"{count} {form}"


def shown_bytes(text: str, controls: bool) -> str:
    """`text` as the tool shows it: bytes that are not UTF-8 (surrogate escapes) as \\xHH, and
    with `controls` the bytes of control characters too (C0, DEL, C1)."""
    out = []
    for c in text:
        o = ord(c)
        if 0xDC80 <= o <= 0xDCFF:
            out.append(f"\\x{o - 0xDC00:02X}")
        elif controls and (o < 0x20 or o == 0x7F):
            out.append(f"\\x{o:02X}")
        elif controls and 0x80 <= o <= 0x9F:
            out.append(f"\\xC2\\x{o:02X}")
        else:
            out.append(c)
    return "".join(out)


def _shown(text: str) -> str:
    return shown_bytes(text, True)


def _json(text: str) -> str:
    return json.dumps(shown_bytes(text, False), ensure_ascii=False)


class Totals:
    """The counts of a run: files, unreadable, objects... unlisted; by code and by record type."""

    def __init__(self) -> None:
        self.counts: Dict[str, int] = dict.fromkeys(
            ("unreadable",) + _COUNTS + ("unlisted",), 0)
        self.by_code: Dict[int, int] = {}
        self.by_type: Dict[str, int] = {}

    def add(self, report: "Report") -> None:
        self.counts["unreadable"] += report.failure is not None
        for name in _COUNTS:
            self.counts[name] += getattr(report, name)
        for f in report.findings:
            self.by_code[f.code] = self.by_code.get(f.code, 0) + 1
            self.by_type[f.type] = self.by_type.get(f.type, 0) + 1


def _describe(totals: Totals, files: int, lang: str, filters: bool) -> str:
    c = totals.counts
    text = counted(files, "file", lang)
    if c["unreadable"]:
        text += f" ({counted(c['unreadable'], 'unreadable', lang)})"
    text += (f", {counted(c['objects'], 'object', lang)} ({counted(c['checked'], 'checked', lang)})"
             f", {counted(c['errors'], 'error', lang)}, {counted(c['warnings'], 'warning', lang)}")
    if filters:
        text += (f" (odfiltrowano {c['filtered']})" if lang == "pl"
                 else f" ({c['filtered']} filtered out)")
    return text


def _finding_line(file: str, f: "Finding", words: Words) -> str:
    parts = [f'{words.value} "{_shown(f.value)}"'] if f.value is not None else []
    if f.expected is not None:
        parts.append(f"{words.expected} {_shown(f.expected)}")
    if f.key is not None:
        parts.append(f"{words.key} {_shown(f.key)}")
    severity = words.error if f.severity == "error" else words.warning
    tail = f" [{', '.join(parts)}]" if parts else ""
    return (f"{_shown(file)}:{f.line}: {f.code} {_shown(f.type)} {severity}: "
            f"{_shown(f.message)}{tail}\n")


def text_report(reports: Sequence["Report"], lang: str = "en", summary: bool = False,
                filters: bool = False) -> str:
    """The text report of `reports`: a line per finding, one per failure, the totals."""
    words, totals = WORDS[lang], Totals()
    out: List[str] = []
    for report in reports:
        file = report.file or ""
        out.extend(_finding_line(file, f, words) for f in report.findings)
        failure = report.failure
        if failure is not None:
            where = f":{failure.line}:{failure.column}" if failure.line else ""
            out.append(f"{_shown(failure.file)}{where}: {words.fatal}: {_shown(failure.message)}\n")
        totals.add(report)
    out.append(_describe(totals, len(reports), lang, filters) + "\n")
    if summary:
        out.append(words.by_code + "\n")
        out.extend(f"  {code} {n}\n" for code, n in sorted(totals.by_code.items()))
        out.append(words.by_type + "\n")
        out.extend(f"  {_shown(t)} {n}\n" for t, n in sorted(totals.by_type.items(),
                                                             key=lambda i: i[0].encode()))
    return "".join(out)


def _finding_json(f: "Finding") -> str:
    text = (f'  {{"line":{f.line},"code":{f.code},"severity":"{f.severity}",'
            f'"type":{_json(f.type)},"object_id":{f.object_id}')
    if f.entry is not None:
        text += f',"entry_id":{f.entry_id},"entry":{_json(f.entry)}'
    for name, value in (("key", f.key), ("value", f.value), ("expected", f.expected)):
        if value is not None:
            text += f',"{name}":{_json(value)}'
    return text + f',"message":{_json(f.message)}}}'


def _counts_json(counts: Dict[str, int]) -> str:
    return ",".join(f'"{name}":{counts[name]}' for name in _COUNTS + ("unlisted",))


def json_text(reports: Sequence["Report"]) -> str:
    """The JSON report of `reports`, as swde-check --format json writes it."""
    out: List[str] = []
    totals = Totals()
    for report in reports:
        one = Totals()
        one.add(report)
        totals.add(report)
        findings = ",\n".join(map(_finding_json, report.findings))
        failure = report.failure
        fatal = "null"
        if failure is not None:
            where = f'"line":{failure.line},"column":{failure.column},' if failure.line else ""
            fatal = f'{{{where}"message":{_json(failure.message)}}}'
        out.append(f'{{"file":{_json(report.file or "")},"findings":['
                   f'{chr(10) + findings + chr(10) if findings else ""}],'
                   f'{_counts_json(one.counts)},"fatal":{fatal}}}')
    by_code = ",".join(f'"{code}":{n}' for code, n in sorted(totals.by_code.items()))
    by_type = ",".join(f"{_json(t)}:{n}" for t, n in sorted(totals.by_type.items(),
                                                            key=lambda i: i[0].encode()))
    files = "\n" + ",\n".join(out) + "\n" if out else ""
    return (f'{{"format":"swde-check-report","version":1,"files":[{files}],\n'
            f'"summary":{{"files":{len(reports)},"unreadable":{totals.counts["unreadable"]},'
            f'{_counts_json(totals.counts)},"by_code":{{{by_code}}},"by_type":{{{by_type}}}}}}}\n')


def _csv_field(value: str, delimiter: str) -> str:
    text = shown_bytes(value, False)
    if text and text[0] in "=+-@\t\r":
        text = "'" + text
    if any(c in text for c in ('"', "\r", "\n", delimiter)):
        return '"' + text.replace('"', '""') + '"'
    return text


def csv_text(reports: Sequence["Report"], delimiter: str = ",", bom: bool = False) -> str:
    """The CSV report of `reports`, as swde-check --format csv writes it."""
    d = delimiter
    header = ("file", "line", "code", "severity", "type", "object_id", "entry_id", "entry",
              "key", "value", "expected", "message")
    out = [("\ufeff" if bom else "") + d.join(header) + "\r\n"]
    for report in reports:
        file = _csv_field(report.file or "", d)
        for f in report.findings:
            texts: Tuple[Optional[str], ...] = (f.entry, f.key, f.value, f.expected, f.message)
            entry_id = "" if f.entry is None else str(f.entry_id)
            out.append(d.join([file, str(f.line), str(f.code), f.severity, _csv_field(f.type, d),
                               str(f.object_id), entry_id] +
                              [_csv_field(t or "", d) for t in texts]) + "\r\n")
        failure = report.failure
        if failure is not None:
            line = str(failure.line) if failure.line else ""
            out.append(d.join([file, line, "fatal", "fatal"]) + d * 8 +
                       _csv_field(failure.message, d) + "\r\n")
    return "".join(out)
