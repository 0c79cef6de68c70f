"""The Python package on the ground of the C consumer: examples/faults.xml, one object built by
hand, the error paths; the JSON contract, compared with the tool's own report; a table of edges
(paths, NULs, numbers out of range) and Ctrl-C during a long check."""
import json
import os
import pathlib
import re
import signal
import subprocess
import sys
import threading
import time

import jsonschema
import pytest

import swde
from conftest import generated

FAULTS = "examples/faults.xml"


def brief(findings):
    return [f"{f.code}@{f.line} {f.type}" for f in findings]


def test_faults_in_document_order(source, monkeypatch):
    monkeypatch.chdir(source)
    report = swde.check(FAULTS, jobs=2, profile="catalogue")
    assert (report.objects, report.checked, report.errors, report.warnings) == (16, 14, 26, 4)
    assert brief(report.findings[:3]) == ["6024@14 G5JEW", "6006@24 G5OBR", "6009@37 G5OBR"]
    f = report.findings[7]
    assert (f.file, f.severity, f.entry, f.value, f.expected, f.key) == (
        FAULTS, "error", "G5ROBR", "G5JEW", "G5OBR", "126101_1.0012.146")
    assert f.message == "Typ wskazywany przez wiązanie G5ROBR w obiekcie G5DZE niezgodny z załącznikiem"
    whole = report.findings[0]
    assert (whole.entry, whole.entry_id, whole.object_id, whole.value) == (None, None, 1, "03")
    assert [f.code for f in report] == [f.code for f in report.findings]
    assert report.findings is report.findings  # made once, so indexing in a loop stays cheap


def test_filters(source, monkeypatch):
    monkeypatch.chdir(source)
    report = swde.check(FAULTS, profile="catalogue", select=["6008", "6020-6022"], ignore=6021,
                        errors_only=True)
    assert sorted({f.code for f in report.findings}) == [6008, 6020, 6022]
    assert all(f.severity == "error" for f in report.findings)
    assert report.filtered == 30 - len(report.findings)


@pytest.mark.parametrize("jobs", [1, 3])
def test_to_dict_is_the_tools_report(source, monkeypatch, tool, jobs):
    monkeypatch.chdir(source)
    schema = json.loads((source / "docs/report.schema.json").read_text())
    report = swde.check(FAULTS, jobs=jobs, today="2026.12.07")
    jsonschema.validate(report.to_dict(), schema)
    run = subprocess.run([tool, "--format", "json", "--jobs", str(jobs), "--today", "2026.12.07",
                          FAULTS], capture_output=True, check=False)
    assert run.returncode == 1, run.stderr
    assert report.to_json().encode() == run.stdout


def test_custom_annex_as_path_and_as_schema(source, monkeypatch):
    monkeypatch.chdir(source)
    by_path = swde.check("examples/custom.xml", annex="examples/annex.xml")
    schema = swde.Schema.parse((source / "examples/annex.xml").read_bytes(), "annex.xml")
    by_schema = swde.check("examples/custom.xml", annex=schema)
    assert brief(by_path.findings) == brief(by_schema.findings)
    builtin = swde.check("examples/custom.xml", annex=swde.Schema.builtin())
    assert brief(builtin.findings) != brief(by_path.findings)


def test_object_built_by_hand():
    obj = swde.Object("G5ADR", status="00", base_type="RD", line=5, id=9)
    obj.add_attribute("G5KOD", "32420", line=7, id=1)
    obj.add_attribute("G5MSC", "Kraków", line=8, id=2)
    errors = obj.check(swde.Schema.builtin())
    postal = [f for f in errors if f.code == 6028]
    assert [(f.line, f.value, f.expected, f.entry) for f in postal] == [(7, "32420", "00-000", "G5KOD")]
    assert brief(obj.check()) == brief(errors)  # checked again: nothing carried over


def test_findings_name_their_own_entry_whatever_the_ids():
    # No line or id given: a finding names the entry it is about, numbered by its ordinal.
    obj = swde.Object("G5JEW", status="00", base_type="RO")
    for name, value in [("G5IDJ", "126101_1"), ("G5NAZ", "Gmina"),
                        ("G5DTU", "2020.01.02-10:00:00"), ("G5DTW", "2020/01/03")]:
        obj.add_attribute(name, value)
    obj.add_relation("G5ROBR", "G5OBR", "126101_1.0001").add_relation("G5ROBR", "G5DZE", "x")
    assert [(f.code, f.entry, f.entry_id, f.value) for f in obj.check()] == [
        (6010, "G5ROBR", 2, "G5DZE"), (6018, "G5DTW", 4, "2020/01/03")]


def test_windows_1250_document_comes_out_as_str():
    text = ('<?xml version="1.0" encoding="windows-1250"?>\n<SWDE>\n'
            '<OBJECT name="G5ADR" base_type="RD" status="00"><ATTRIBUTES>\n'
            '<ATTR name="G5KOD" value_str="Łódź"/>\n</ATTRIBUTES></OBJECT></SWDE>\n')
    report = swde.check_bytes(text.encode("cp1250"), name="adr.xml", profile="catalogue")
    postal = [f for f in report.findings if f.code == 6028]
    assert [(f.file, f.line, f.value) for f in postal] == [("adr.xml", 4, "Łódź")]


def test_read_errors_carry_location_and_partial_report(source):
    cut = b'<?xml version="1.0"?>\n<SWDE>\n<OBJECT name="G5JEW" status="03"></OBJECT>\n<OBJECT'
    with pytest.raises(swde.ReadError) as caught:
        swde.check_bytes(cut, name="cut.xml", profile="catalogue")
    e = caught.value
    assert (e.file, e.line) == ("cut.xml", 4) and e.column > 0
    assert 6024 in [f.code for f in e.report.findings]  # what came before the failure stays
    with pytest.raises(swde.ReadError) as missing:
        swde.check(source / "no-such-file.xml")
    assert missing.value.line == 0 and "no-such-file.xml" in str(missing.value)


def test_schema_mistakes_refused_and_doubts_kept(source):
    cases = source / "tests/cli/cases"
    with pytest.raises(swde.SchemaError, match=r"annex\.xml:15: attribute \"G5NAZ\""):
        swde.Schema.load(cases / "annex-mistakes/annex.xml")
    doubtful = swde.Schema.load(cases / "annex-doubtful/annex.xml")
    assert [w.split(":")[1] for w in doubtful.warnings] == ["8", "17", "18", "21"]
    assert swde.Schema.builtin().warnings == []


def test_a_schema_without_marks_takes_the_builtin_ones(source, monkeypatch):
    monkeypatch.chdir(source)
    text = re.sub(r' (check|shares|key-scope)="[^"]+"| key="1"', "", (source / "data/annex.xml").read_text())
    schema = swde.Schema.parse(text, "official.xml")
    assert schema.warnings[0].startswith("official.xml:0: marks: built-in (")
    for document in ("examples/document-faults.xml", FAULTS):
        lent = swde.check(document, annex=schema, today="2026.06.15")
        assert lent.to_json() == swde.check(document, today="2026.06.15").to_json()
        assert 7002 in [f.code for f in lent.findings]


def test_bad_schema_and_bad_arguments(tmp_path):
    with pytest.raises(swde.SchemaError, match=r"^bad\.xml:1:"):
        swde.Schema.parse("<SWDE><OBJECT/></SWDE>", "bad.xml")
    with pytest.raises(swde.SchemaError):
        swde.Schema.load(tmp_path / "absent.xml")
    with pytest.raises(swde.ArgumentError, match="9999"):
        swde.check_bytes(b"<SWDE/>", select="9999")
    with pytest.raises(swde.ArgumentError):
        swde.check_bytes(b"<SWDE/>", profile="everything")
    with pytest.raises(swde.ArgumentError, match="today"):
        swde.check_bytes(b"<SWDE/>", today="2025.02.30")
    with pytest.raises(swde.ArgumentError):
        swde.Object("G5ADR").add_attribute("G5MSC", "\U0001F600")


def test_checks_run_in_parallel_threads(source, monkeypatch):
    monkeypatch.chdir(source)
    schema = swde.Schema.builtin()
    results = [None] * 4

    def run(i):
        results[i] = brief(swde.check(FAULTS, annex=schema, jobs=1).findings)

    threads = [threading.Thread(target=run, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert results[0] and all(r == results[0] for r in results)


# --- Edges: paths and names as open() takes them, NULs, numbers out of range.

ADR = (b'<?xml version="1.0"?>\n<SWDE>\n<OBJECT name="G5ADR" base_type="RD" status="00">'
       b'<ATTRIBUTES>\n<ATTR name="G5KOD" value_str="32420"/>\n</ATTRIBUTES></OBJECT></SWDE>\n')


def file_of(report):
    return report.findings[0].file


def raised(kind, call, *args, **kwargs):
    with pytest.raises(kind) as caught:
        call(*args, **kwargs)
    return caught.value


def listed():
    """The name os.listdir gives the file written as b"caf\\xe9.xml": str, a surrogate escape."""
    return next(n for n in os.listdir() if n.startswith("caf"))


EDGES = {  # what each call gives, or (the exception it raises, a pattern of its message)
    "str with a surrogate escape": (lambda: file_of(swde.check(listed())), "caf\udce9.xml"),
    "bytes": (lambda: file_of(swde.check(b"caf\xe9.xml")), "caf\udce9.xml"),
    "os.PathLike": (lambda: file_of(swde.check(pathlib.Path("caf\udce9.xml"))), "caf\udce9.xml"),
    "bytes name": (lambda: file_of(swde.check_bytes(ADR, name=b"m\xe9.xml")), "m\udce9.xml"),
    "missing, not UTF-8": (lambda: raised(swde.ReadError, swde.check, b"no\xff.xml").file,
                           "no\udcff.xml"),
    "its failure": (lambda: raised(swde.ReadError, swde.check, b"no\xff.xml").report.failure[0],
                    "no\udcff.xml"),
    "schema name, not UTF-8": (lambda: swde.Schema.parse("<SWDE><OBJECT/></SWDE>", b"\xffa.xml"),
                               (swde.SchemaError, r"^\\xFFa\.xml:1:")),
    "NUL in a str path": (lambda: swde.check("real.xml\0.other.xml"), (ValueError, "null byte")),
    "NUL in a bytes path": (lambda: swde.check(b"real.xml\0"), (ValueError, "null byte")),
    "NUL in a name": (lambda: swde.check_bytes(ADR, name="a\0b"), (ValueError, "null byte")),
    "NUL in a schema path": (lambda: swde.Schema.load("real.xml\0"), (ValueError, "null byte")),
    "NUL in a text": (lambda: swde.Object("G5ADR\0X"), (ValueError, "type: embedded null")),
    "jobs=-1": (lambda: swde.check("real.xml", jobs=-1),
                (swde.ArgumentError, r"^jobs: -1 is not in 0\.\.256$")),
    "jobs=2**32": (lambda: swde.check("real.xml", jobs=2**32),
                   (swde.ArgumentError, r"^jobs: 4294967296 is not in 0\.\.256$")),
    "jobs=257": (lambda: swde.check_bytes(ADR, jobs=257), (swde.ArgumentError, "257")),
    "jobs='2'": (lambda: swde.check("real.xml", jobs="2"), (TypeError, "")),
    "line=-1": (lambda: swde.Object("G5ADR", line=-1),
                (swde.ArgumentError, r"^line: -1 is not in 0\.\.4294967295$")),
    "id=2**32": (lambda: swde.Object("G5ADR").add_attribute("G5KOD", id=2**32),
                 (swde.ArgumentError, "^id: ")),
    "relation line=2**64": (lambda: swde.Object("G5ADR").add_relation("G5RADR", line=2**64),
                            (swde.ArgumentError, "^line: ")),
    "select=-1": (lambda: swde.check_bytes(ADR, select=-1), (swde.ArgumentError, '"-1"')),
}


@pytest.mark.parametrize("case", EDGES)
def test_edges(case, tmp_path, monkeypatch):
    (tmp_path / "real.xml").write_bytes(ADR)
    with open(os.path.join(os.fsencode(tmp_path), b"caf\xe9.xml"), "wb") as f:
        f.write(ADR)
    monkeypatch.chdir(tmp_path)
    call, outcome = EDGES[case]
    if isinstance(outcome, tuple):
        with pytest.raises(outcome[0], match=outcome[1]):
            call()
    else:
        assert call() == outcome


# --- Ctrl-C: a check of a large document stops within a second, with any number of jobs.

INTERRUPTED = """
import sys, swde
print("checking", flush=True)
try:
    swde.check(sys.argv[1], jobs=int(sys.argv[2]))
except KeyboardInterrupt:
    print("interrupted", flush=True)
    sys.exit(3)
print("finished")
"""


@pytest.fixture(scope="module")
def large_document(tmp_path_factory):
    """200k objects: some seconds of checking, much more than a second whatever the jobs."""
    return generated(tmp_path_factory, "200k", "--objects", "200000", "--seed", "3")


@pytest.mark.parametrize("jobs", [1, 2])
def test_ctrl_c_stops_a_check(large_document, jobs):
    run = subprocess.Popen([sys.executable, "-c", INTERRUPTED, str(large_document), str(jobs)],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert run.stdout.readline() == "checking\n"
    time.sleep(0.5)
    run.send_signal(signal.SIGINT)
    sent = time.monotonic()
    out, err = run.communicate(timeout=60)
    took = time.monotonic() - sent
    print(f"jobs={jobs}: the process ended {took:.3f} s after SIGINT")
    assert (run.returncode, out) == (3, "interrupted\n"), err
    assert took < 1.0
