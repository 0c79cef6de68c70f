#!/usr/bin/env bash
# Installs the Debian packages swde needs, when missing.
# Usage: scripts/install-deps.sh [--check] [run | build | windows]
#   run      only what `make run` needs: building and running swde-check
#   build    what `make build` and `make test` need besides (else everything below)
#   windows  what `make windows` needs: mingw-w64, wine and the tools that build expat, GMP and
#            GoogleTest from their Debian sources
#   --check  only reports what is missing (exit status 1 then)
set -euo pipefail

# Building and running the tool: the compiler and build tools, the libraries (expat, GMP, CLI11,
# nlohmann-json); tzdata for the day of the check, the date in Poland.
run_packages=(
  cmake ninja-build g++ pkg-config make tzdata
  libexpat1-dev libgmp-dev libcli11-dev nlohmann-json3-dev
)
# The whole test suite besides: GoogleTest, the Python package's pybind11 and headers (and pip,
# setuptools, wheel and build, which install it and make its wheel), and the
# test tools (jsonschema for the JSON reports, pytest, mypy for the package's types, Dask's
# distributed for the batch example, Chromium for the HTML report; its tests read Europe/Warsaw
# from tzdata; Free Pascal for the Pascal unit's example, in the shared suite).
build_packages=(
  "${run_packages[@]}"
  libgtest-dev libgmock-dev
  pybind11-dev python3-dev python3-pytest mypy python3-distributed
  python3-pip python3-setuptools python3-wheel python3-build
  python3-jsonschema chromium chromium-driver python3-selenium
  fp-compiler
)
# The Windows build (scripts/windows.sh): the -posix cross compilers, wine to run the tests,
# dpkg-dev for apt-get source, m4 and the autotools for GMP's build, zip for the artefact.
windows_packages=(
  cmake ninja-build make dpkg-dev m4 autoconf automake libtool zip libcli11-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev wine64
)
# Sanitizers and fuzzing (clang), coverage, memcheck, the micro-benchmark and the format check.
extra_packages=(clang libclang-rt-dev gcovr valgrind libbenchmark-dev clang-format)

check=false
packages=("${build_packages[@]}" "${extra_packages[@]}")
for arg in "$@"; do
  case "$arg" in
    --check) check=true ;;
    run) packages=("${run_packages[@]}") ;;
    build) packages=("${build_packages[@]}") ;;
    windows) packages=("${windows_packages[@]}") ;;
    *) echo "usage: $0 [--check] [run | build | windows]" >&2; exit 2 ;;
  esac
done

# One dpkg-query for the whole list; a package it does not know is missing too.
installed=$(dpkg-query -W -f='${db:Status-Status} ${Package}\n' "${packages[@]}" 2>/dev/null |
            awk '$1 == "installed" {print $2}' || true)
missing=()
for p in "${packages[@]}"; do
  if ! grep -qxF "$p" <<<"$installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
if [ "$check" = true ]; then
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
