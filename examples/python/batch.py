"""Checks every transfer document of a folder, in parallel, and sums up what was found.

    python3 batch.py FOLDER --out REPORTS                 # processes of this machine
    python3 batch.py FOLDER --out REPORTS --scheduler tcp://HOST:8786    # a Dask cluster

Each document is one task: checked where the task runs (one thread each, --jobs to change), its
JSON report written to REPORTS/NAME.json (on a cluster, REPORTS must be a folder every worker
sees), and only its counts sent back. The summary, per file and per code, is printed and written
to REPORTS/summary.json. --workers 0 checks the files one after another in this process.
Exit status: 0 no error found, 1 errors found, 2 a document could not be read.
"""

from __future__ import annotations

import argparse
import concurrent.futures
import importlib
import json
import os
import pathlib
import sys
from typing import Any, Dict, Iterable, Iterator, List, Optional

import swde

Summary = Dict[str, Any]


def check_one(path: str, root: str, out: str, jobs: int, today: Optional[str]) -> Summary:
    """Checks the document at `path` (under `root`), writes its JSON report under `out` and
    returns its summary: file, counts, the failure (None) and the findings per code."""
    name = os.path.relpath(path, root)
    try:
        report = swde.check(path, jobs=jobs, today=today)
    except swde.ReadError as e:
        report = e.report
    target = pathlib.Path(out, name + ".json")
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_text(report.to_json(), encoding="utf-8")
    by_code: Dict[str, int] = {}
    for f in report.findings:
        by_code[str(f.code)] = by_code.get(str(f.code), 0) + 1
    failure = report.failure
    return {"file": name, "objects": report.objects, "errors": report.errors,
            "warnings": report.warnings,
            "failure": None if failure is None else f"{failure.line}:{failure.column}: "
                                                    f"{failure.message}",
            "by_code": dict(sorted(by_code.items()))}


def summarise(files: Iterable[Summary]) -> Dict[str, Any]:
    """One summary of the files' summaries: each file (in name order) and the totals per code."""
    listed = sorted(files, key=lambda s: str(s["file"]))
    by_code: Dict[str, int] = {}
    for one in listed:
        for code, n in one["by_code"].items():
            by_code[code] = by_code.get(code, 0) + n
    totals = {k: sum(int(s[k]) for s in listed) for k in ("objects", "errors", "warnings")}
    return {"files": listed, "unreadable": sum(s["failure"] is not None for s in listed),
            **totals, "by_code": dict(sorted(by_code.items()))}


def run(executor: Optional[concurrent.futures.Executor], paths: List[str], root: str, out: str,
        jobs: int, today: Optional[str]) -> Iterator[Summary]:
    """The summaries of `paths`, as their checks end (in order without an executor)."""
    if executor is None:
        yield from (check_one(p, root, out, jobs, today) for p in paths)
        return
    futures = [executor.submit(check_one, p, root, out, jobs, today) for p in paths]
    for future in concurrent.futures.as_completed(futures):
        yield future.result()


def main() -> int:
    parser = argparse.ArgumentParser(description=(__doc__ or "").splitlines()[0])
    parser.add_argument("folder", help="where the documents are (*.xml, in subfolders too)")
    parser.add_argument("--out", required=True, help="folder of the JSON reports and summary")
    parser.add_argument("--pattern", default="*.xml", help="which files (default: *.xml)")
    parser.add_argument("--workers", type=int, help="processes (default: one per core)")
    parser.add_argument("--scheduler", metavar="ADDRESS", help="a Dask scheduler to run on")
    parser.add_argument("--jobs", type=int, default=1, help="threads per document (default: 1)")
    parser.add_argument("--today", help="the day of the check, YYYY.MM.DD (default: today)")
    args = parser.parse_args()
    root = os.path.abspath(args.folder)
    out = os.path.abspath(args.out)
    # The largest first, so that the last tasks to end are short ones.
    paths = sorted((str(p) for p in pathlib.Path(root).rglob(args.pattern) if p.is_file()),
                   key=lambda p: (-os.path.getsize(p), p))
    executor: Optional[concurrent.futures.Executor] = None
    if args.scheduler:
        # Debian: python3-distributed; its functions carry no annotations, so it is Any here.
        distributed: Any = importlib.import_module("distributed")
        client = distributed.Client(args.scheduler)
        executor = client.get_executor()
    elif args.workers != 0:
        executor = concurrent.futures.ProcessPoolExecutor(args.workers)
    try:
        summary = summarise(run(executor, paths, root, out, args.jobs, args.today))
    finally:
        if executor is not None:
            executor.shutdown()
        if args.scheduler:
            client.close()
    pathlib.Path(out).mkdir(parents=True, exist_ok=True)
    pathlib.Path(out, "summary.json").write_text(json.dumps(summary, indent=1) + "\n")
    for one in summary["files"]:
        failed = f"  unreadable at {one['failure']}" if one["failure"] else ""
        print(f"{one['file']}: {one['objects']} objects, {one['errors']} errors, "
              f"{one['warnings']} warnings{failed}")
    for code, n in summary["by_code"].items():
        print(f"  {code} {n}")
    print(f"{len(paths)} files, {summary['objects']} objects, {summary['errors']} errors, "
          f"{summary['warnings']} warnings, {summary['unreadable']} unreadable")
    return 2 if summary["unreadable"] else 1 if summary["errors"] else 0


if __name__ == "__main__":
    sys.exit(main())
