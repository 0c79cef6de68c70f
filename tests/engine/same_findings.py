"""The same findings of one document by every way in: the README's C++ program (the engine),
the C interface, the Python package and swde-check's JSON report. Each gives one line per
finding (see check-document in the README); all must be equal, line for line, and not empty.

same_findings.py DOCUMENT NAME=PROGRAM... [python] [tool=SWDE_CHECK]
SWDE_EMULATOR, when set, runs the programs (wine for a Windows build)."""
import json
import os
import subprocess
import sys

EMULATOR = [os.environ["SWDE_EMULATOR"]] if os.environ.get("SWDE_EMULATOR") else []


def run(program, document):
    done = subprocess.run(EMULATOR + [program, document], capture_output=True)
    if done.returncode not in (0, 1):
        sys.exit(f"{program}: exit {done.returncode}: {done.stderr.decode(errors='replace')}")
    return done.stdout.decode().splitlines()


def line(finding, get):
    entry = get("entry")
    fields = [get("line"), get("code"), get("severity"), get("type"), get("object_id"),
              get("entry_id") if entry is not None else None, entry, get("key"), get("value"),
              get("expected"), get("message")]
    return "\t".join("-" if f is None else str(f) for f in fields)


def python_lines(document):
    import swde
    return [line(f, lambda name: getattr(f, name)) for f in swde.check(document)]


def tool_lines(tool, document):
    done = subprocess.run(EMULATOR + [tool, "--format", "json", document], capture_output=True)
    findings = json.loads(done.stdout)["files"][0]["findings"]
    return [line(f, f.get) for f in findings]


def main():
    document, ways = sys.argv[1], {}
    for arg in sys.argv[2:]:
        name, _, program = arg.partition("=")
        if name == "python":
            ways[name] = python_lines(document)
        elif name == "tool":
            ways[name] = tool_lines(program, document)
        else:
            ways[name] = run(program, document)
    (first, expected), *others = ways.items()
    if len(ways) < 2 or not expected:
        sys.exit(f"nothing to compare: {list(ways)} with {len(expected)} findings")
    failed = False
    for name, lines in others:
        if lines != expected:
            failed = True
            print(f"{name} differs from {first}:")
            for a, b in zip(expected + [""] * len(lines), lines + [""] * len(expected)):
                if a != b:
                    print(f"  {first}: {a!r}\n  {name}: {b!r}")
                    break
    if failed:
        sys.exit(1)
    print(f"{len(expected)} findings, the same by {', '.join(ways)}")


main()
