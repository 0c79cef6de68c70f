#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking swde need, when missing.
# Usage: scripts/install-deps.sh [--check]   (--check only reports what is missing)
set -euo pipefail

packages=(
  cmake ninja-build g++ clang pkg-config make
  libexpat1-dev libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libclang-rt-dev gcovr valgrind
  python3-jsonschema chromium chromium-driver python3-selenium
  pybind11-dev python3-dev python3-pytest
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
if [ "${1:-}" = "--check" ]; then
  echo "missing: ${missing[*]}"
  exit 1
fi

echo "install-deps: installing ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
