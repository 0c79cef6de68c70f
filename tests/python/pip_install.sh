#!/bin/sh
# pip installs the package from the source tree (reusing the CMake build of the tests, so only
# the wheel is made), and it works from elsewhere: the report's repr, and python -m swde with the
# tool's last line and exit status 1 (faults found).
# Usage: pip_install.sh SOURCE_DIR BUILD_DIR PYTHON
set -eu
source=$1 build=$2 python=$3
place=$(mktemp -d)
trap 'rm -rf "$place"' EXIT
SWDE_BUILD_DIR=$build "$python" -m pip install -q --no-build-isolation --no-deps --no-index \
  --target "$place/site" "$source" 2>"$place/pip.log" || { cat "$place/pip.log"; exit 1; }
cp "$source/examples/faults.xml" "$place/"
cd "$place"
export PYTHONPATH="$place/site"
seen=$("$python" -c "import swde; print(swde.__file__); print(swde.check('faults.xml'))")
expected="$place/site/swde/__init__.py
<Report 'faults.xml': 16 objects, 27 errors, 9 warnings>"
[ "$seen" = "$expected" ] || { printf 'got:\n%s\nexpected:\n%s\n' "$seen" "$expected"; exit 1; }
status=0
"$python" -m swde --lang en faults.xml >report.txt || status=$?
last=$(tail -n 1 report.txt)
[ "$status" = 1 ] && [ "$last" = "1 file, 16 objects (14 checked), 27 errors, 9 warnings" ] || {
  echo "python -m swde: status $status, last line \"$last\""; exit 1; }
echo "installed and run outside the source tree"
