"""The package as a Python user expects it: values that print, compare and pickle; file objects
read as they come; open failures as the matching OSError; python -m swde against swde-check."""
import io
import os
import pickle
import subprocess
import sys

import pytest

import swde

FAULTS = "examples/faults.xml"
CUT = b'<?xml version="1.0"?>\n<SWDE>\n<OBJECT name="G5JEW" status="03"></OBJECT>\n<OBJECT'


@pytest.fixture
def here(source, monkeypatch):
    monkeypatch.chdir(source)
    return source


def test_reprs(here):
    report = swde.check(FAULTS, today="2026.12.07")
    obj = swde.Object("G5ADR", status="00", base_type="RD").add_attribute("G5KOD", "1")
    assert [repr(x) for x in (report, report.findings[0], swde.Schema.builtin(), obj)] == [
        "<Report 'examples/faults.xml': 16 objects, 27 errors, 9 warnings>",
        "<Finding 6024@14 G5JEW error: Niepoprawne oznaczenie statusu obiektu G5JEW>",
        "<Schema '<built-in>', 0 warnings>",
        "<Object G5ADR status=00 base_type=RD: 1 attributes, 0 relations>"]
    with pytest.raises(swde.ReadError) as cut:
        swde.check_bytes(CUT, name="cut.xml")
    assert repr(cut.value.report) == ("<Report 'cut.xml': 1 objects, 6 errors, 0 warnings, "
                                      "failed at line 4>")


def test_finding_to_dict(here):
    f = swde.check(FAULTS, today="2026.12.07").findings[7]
    assert f.to_dict() == {
        "file": FAULTS, "line": 96, "code": 6010, "severity": "error", "type": "G5DZE",
        "object_id": 7, "entry_id": 1, "entry": "G5ROBR", "key": "126101_1.0012.146",
        "value": "G5JEW", "expected": "G5OBR",
        "message": "Typ wskazywany przez wiązanie G5ROBR w obiekcie G5DZE niezgodny z załącznikiem"}
    assert swde.Finding.line.__doc__.startswith("The line")  # help(swde.Finding) tells


@pytest.mark.parametrize("name, data", [("faults", None), (b"caf\xe9.xml", CUT),
                                        ("ctl\x01.xml", b"<SWDE/>")])
def test_pickled_reports_are_equal_and_write_the_same_json(here, name, data):
    if data is None:
        report = swde.check(FAULTS, today="2026.12.07")
    else:
        try:
            report = swde.check_bytes(data, name=name, today="2026.12.07")
        except swde.ReadError as e:
            report = e.report
    copy = pickle.loads(pickle.dumps(report))
    assert copy == report and hash(copy) == hash(report) and copy is not report
    assert pickle.loads(pickle.dumps(report.findings)) == report.findings
    assert copy.to_json() == report.to_json()  # written in Python, and by the library
    assert (copy.failure, copy.objects, copy.filtered) == (report.failure, report.objects, 0)
    assert copy != swde.check_bytes(b"<SWDE/>", name="other.xml")


class Chunks(io.RawIOBase):
    """A pipe of a kind: hands out what it holds in the sizes asked, recording them."""

    def __init__(self, data, fail_at=None):
        super().__init__()
        self.data, self.at, self.asked, self.fail_at = data, 0, [], fail_at

    def readable(self):
        return True

    def read(self, size=-1):
        self.asked.append(size)
        if self.fail_at is not None and self.at >= self.fail_at:
            raise ConnectionResetError("the peer went away")
        chunk = self.data[self.at:self.at + size]
        self.at += len(chunk)
        return chunk


def test_file_objects_are_read_as_they_come(here):
    by_path = swde.check(FAULTS, today="2026.12.07")
    with open(FAULTS, "rb") as f:
        assert swde.check(f, today="2026.12.07") == by_path  # named by its file object
    data = (here / FAULTS).read_bytes() + b"<!--" + b" " * 200_000 + b"-->\n"
    stream = Chunks(data)
    report = swde.check(stream, name="long.xml", today="2026.12.07", jobs=1)
    assert report.file == "long.xml" and report.findings[1:] == tuple(
        f._replace(file="long.xml") for f in by_path.findings[1:])
    assert len(stream.asked) > 2 and max(stream.asked) < len(data)  # not slurped
    assert swde.check(io.BytesIO(data)).file == "<stream>"


@pytest.mark.parametrize("stream, error", [
    (Chunks(b"<SWDE>" + b" " * 200_000, fail_at=65536), (ConnectionResetError, "peer went away")),
    (io.StringIO("<SWDE/>"), (TypeError, "read\\(\\) gave str, not bytes: open the document in "
                                         "binary mode")),
])
def test_what_a_stream_raises_comes_back(stream, error):
    with pytest.raises(error[0], match=error[1]):
        swde.check(stream)


def test_open_failures_are_os_errors(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "file.xml").write_bytes(b"<SWDE/>")
    cases = [("missing.xml", FileNotFoundError), (str(tmp_path), IsADirectoryError),
             ("file.xml/x.xml", swde.ReadError)]
    if os.geteuid() != 0:  # root reads what it likes
        os.chmod("file.xml", 0)
        cases.append(("file.xml", PermissionError))
    for path, kind in cases:
        with pytest.raises(kind) as caught:
            swde.check(path)
        e = caught.value
        assert isinstance(e, swde.ReadError) and (e.line, e.file) == (0, path)
        assert getattr(e, "filename", None) == (None if kind is swde.ReadError else path)
        assert str(e).startswith(f"{path}: cannot open"), str(e)
        with pytest.raises(swde.SchemaError) as caught:
            swde.Schema.load(path)  # the same for a schema
        assert kind is swde.ReadError or isinstance(caught.value, kind), path


def test_bytes_are_a_path_as_for_open():
    with pytest.raises(swde.DocumentNotFoundError, match=r"check_bytes\(\) checks a document"):
        swde.check(b"<SWDE/>")
    with pytest.raises(TypeError, match="not bytearray"):
        swde.check(bytearray(b"<SWDE/>"))
    assert swde.check_bytes(memoryview(b"<SWDE/>")).objects == 0


# --- python -m swde against swde-check: the same bytes and exit status.

CLI = [
    ("--format", "json"), (), ("--summary", "--lang", "pl"), ("--format", "csv"),
    ("--format", "csv", "--csv-delimiter", ";", "--bom"),
    ("--format", "json", "--select", "6001-6010", "--severity", "error"),
    ("--summary", "--lang", "en", "--warnings-as-errors", "--ignore", "7002"),
]
FILES = [(FAULTS,), ("examples/clean.xml",),
         (FAULTS, "examples/document-faults.xml", "examples/clean.xml", "CUT", "missing.xml")]


@pytest.mark.parametrize("files", FILES, ids=["faults", "clean", "five"])
@pytest.mark.parametrize("options", CLI, ids=" ".join)
def test_command_line_writes_what_the_tool_writes(here, tool, tmp_path, options, files):
    (tmp_path / "cut.xml").write_bytes(CUT)
    names = [str(tmp_path / "cut.xml") if f == "CUT" else f for f in files]
    env = dict(os.environ, PYTHONPATH=os.path.dirname(os.path.dirname(swde.__file__)))
    args = ["--today", "2026.12.07", *options, "--", *names]
    ours = subprocess.run([sys.executable, "-m", "swde", *args], capture_output=True, env=env)
    theirs = subprocess.run([tool, *args], capture_output=True)
    assert ours.stdout == theirs.stdout and ours.stdout
    assert ours.returncode == theirs.returncode, ours.stderr


def test_command_line_refuses_what_the_tool_refuses(here):
    for args in (["--format", "json", "--bom", FAULTS], ["--select", "9999", FAULTS],
                 ["--today", "2025.02.30", FAULTS]):
        run = subprocess.run([sys.executable, "-m", "swde", *args], capture_output=True,
                             text=True)
        assert (run.returncode, run.stdout) == (2, ""), args
        assert run.stderr.startswith(("swde: ", "usage: ")), run.stderr
