"""examples/python/batch.py on a Dask LocalCluster of two worker processes gives the summary and
the reports that one process gives, and those agree with swde.check of each file."""
import json
import os
import subprocess
import sys

import pytest
from distributed import LocalCluster

import swde

TODAY = "2026.12.07"


@pytest.fixture
def folder(tmp_path_factory, source):
    gen = os.environ.get("SWDE_GEN")
    if not gen:
        pytest.skip("SWDE_GEN (the swde-gen program) not given")
    root = tmp_path_factory.mktemp("county")
    for seed in range(1, 5):
        subprocess.run([gen, "--objects", "3000", "--seed", str(seed), "--output",
                        str(root / f"d{seed}.xml")], check=True)
    (root / "sub").mkdir()
    (root / "sub/faults.xml").write_bytes((source / "examples/faults.xml").read_bytes())
    (root / "sub/cut.xml").write_bytes(b"<SWDE><OBJECT")
    return root


def batch(source, folder, out, *options):
    run = subprocess.run([sys.executable, str(source / "examples/python/batch.py"), str(folder),
                          "--out", str(out), "--today", TODAY, *options],
                         capture_output=True, text=True, timeout=120)
    assert run.returncode == 2, run.stderr  # the cut file
    return json.loads((out / "summary.json").read_text())


def reports(out):
    return {p.relative_to(out): p.read_bytes() for p in out.rglob("*.json")}


def test_cluster_gives_what_one_process_gives(source, folder, tmp_path):
    alone = batch(source, folder, tmp_path / "alone", "--workers", "0")
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster:
        spread = batch(source, folder, tmp_path / "spread", "--scheduler",
                       cluster.scheduler_address)
    assert spread == alone
    assert reports(tmp_path / "spread") == reports(tmp_path / "alone")
    files = {s["file"]: s for s in alone["files"]}
    assert sorted(files) == ["d1.xml", "d2.xml", "d3.xml", "d4.xml", "sub/cut.xml",
                             "sub/faults.xml"]
    for name, one in files.items():
        try:
            report = swde.check(folder / name, today=TODAY)
        except swde.ReadError as e:
            report = e.report
        assert (one["objects"], one["errors"], one["warnings"]) == (
            report.objects, report.errors, report.warnings), name
        assert (tmp_path / "alone" / (name + ".json")).read_text() == report.to_json()
    assert files["sub/cut.xml"]["failure"] == "1:7: unclosed token"
    assert alone["by_code"]["7032"] >= 1 and alone["unreadable"] == 1
    assert sum(alone["by_code"].values()) == alone["errors"] + alone["warnings"]
