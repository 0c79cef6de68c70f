#!/usr/bin/env bash
# Builds swde for 64-bit Windows with mingw-w64, tests it under wine and packs the zip.
# Usage: scripts/windows.sh [build | test | dist | all]   (default all: build, test, dist)
#   build  installs mingw-w64 and wine (apt), builds expat, GMP and GoogleTest for Windows from
#          Debian's source packages into build-windows/prefix (once), then swde with its tests
#   test   the suite under wine (scripts/windows-test.sh)
#   dist   dist/swde-<version>-windows-x86_64.zip
# Nothing is downloaded but Debian packages: the sources come from `apt-get source` (a deb-src
# entry is added beside the system's own deb entries when there is none), the header-only CLI11
# and nlohmann-json from their -dev packages, copied into the private prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
top=${SWDE_WINDOWS_DIR:-$root/build-windows}
prefix=$top/prefix
build=$top/swde
host=x86_64-w64-mingw32
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-$(nproc)}
what=${1:-all}

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

# deb-src twins of the enabled deb sources (deb822 .sources files and one-line .list files).
add_deb_src() {
  if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return
  fi
  echo "windows: adding deb-src entries for apt-get source" >&2
  local out
  out=$(mktemp)
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/;p' "$f" >>"$out"
    echo >>"$out"
  done
  if grep -qs . "$out"; then
    $sudo install -m 644 "$out" /etc/apt/sources.list.d/swde-deb-src.sources
  fi
  : >"$out"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" >>"$out"
  done
  if grep -qs . "$out"; then
    $sudo install -m 644 "$out" /etc/apt/sources.list.d/swde-deb-src.list
  fi
  rm -f "$out"
  $sudo apt-get update -qq
}

# The unpacked (and Debian-patched) source of package $1 under $top/src: the newest version the
# mirror still holds (a security update's source may be gone from it before the index says so).
source_of() {
  local dir v
  dir=$(find "$top/src" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -n 1)
  if [ -z "$dir" ]; then
    for v in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -rV); do
      if (cd "$top/src" && apt-get source -qq "$1=$v" >/dev/null 2>&1); then
        break
      fi
      echo "windows: the source of $1 $v could not be fetched" >&2
    done
    dir=$(find "$top/src" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -n 1)
  fi
  if [ -z "$dir" ]; then
    echo "windows: no source of $1 (apt-get source $1)" >&2
    exit 1
  fi
  echo "$dir"
}

cmake_dep() {
  local name=$1 src=$2
  shift 2
  cmake -S "$src" -B "$top/deps/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DSWDE_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$top/deps/$name" -j "$jobs" >/dev/null
  cmake --install "$top/deps/$name" >/dev/null
}

build_deps() {
  # Made once; raise deps_recipe when what is built here changes.
  local deps_recipe=1 stamp=$prefix/.deps-done
  if [ "$(cat "$stamp" 2>/dev/null)" = "$deps_recipe" ]; then
    return
  fi
  add_deb_src
  mkdir -p "$top/src" "$prefix/include" "$prefix/share/cmake"
  local expat gtest gmp
  expat=$(source_of expat)
  gtest=$(source_of googletest)
  gmp=$(source_of gmp)

  # Debian's security patches test `#if XML_DTD` and `#if XML_NS`, which 2.5.0's CMake template
  # defines empty.
  sed -i 's/^#cmakedefine \(XML_DTD\|XML_NS\)$/#cmakedefine \1 1/' "$expat/expat/expat_config.h.cmake"
  echo "windows: expat from $(basename "$expat")" >&2
  cmake_dep expat "$expat/expat" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
    -DEXPAT_BUILD_PKGCONFIG=OFF -DEXPAT_MSVC_STATIC_CRT=OFF
  echo "windows: googletest from $(basename "$gtest")" >&2
  cmake_dep googletest "$gtest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  echo "windows: GMP from $(basename "$gmp")" >&2
  # Debian's source leaves the manual out; its build regenerates the autotools files, as here.
  [ -f "$top/deps/gmp-reconf" ] || (cd "$gmp" && autoreconf -fi >/dev/null 2>&1 && touch "$top/deps/gmp-reconf")
  mkdir -p "$top/deps/gmp"
  (cd "$top/deps/gmp" &&
    "$gmp/configure" --host=$host --prefix="$prefix" --disable-shared --enable-static \
      CC=$host-gcc-posix >/dev/null &&
    make -j "$jobs" >/dev/null && make install >/dev/null)

  # Header-only libraries from their Debian packages, with their CMake package files, which
  # find the headers relative to themselves.
  rm -rf "$prefix/include/CLI" "$prefix/include/nlohmann"
  cp -r /usr/include/CLI /usr/include/nlohmann "$prefix/include/"
  rm -rf "$prefix/share/cmake/CLI11" "$prefix/share/cmake/nlohmann_json"
  cp -r /usr/share/cmake/CLI11 /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
  echo "$deps_recipe" >"$stamp"
}

do_build() {
  scripts/install-deps.sh windows
  build_deps
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DSWDE_WINDOWS_PREFIX="$prefix" -DSWDE_WERROR=ON -DSWDE_BUILD_TESTS=ON \
    -DSWDE_BUILD_EXAMPLES=ON -DSWDE_PYTHON=OFF -DSWDE_INSTALL=OFF \
    -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST ${CMAKE_FLAGS:-} >/dev/null
  cmake --build "$build" -j "$jobs"
}

do_dist() {
  local version
  version=$(sed -n 's/^project(swde VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  local name=swde-$version-windows-x86_64
  local stage=$top/dist/$name
  rm -rf "$stage" && mkdir -p "$stage/bin" "$stage/include/swde" "$stage/lib" "$stage/docs/pl" dist
  cp "$build/tools/swde-check/swde-check.exe" "$build/windows/swde.dll" "$stage/bin/"
  cp "$build/windows/libswde.dll.a" "$build/windows/swde.lib" "$build/windows/swde.def" "$stage/lib/"
  cp include/swde/swde.h "$stage/include/swde/"
  cp README.md LICENSE "$stage/"
  cp docs/pl/README.md "$stage/docs/pl/"
  $host-strip "$stage/bin/swde-check.exe" "$stage/bin/swde.dll"
  rm -f "dist/$name.zip"
  (cd "$top/dist" && zip -qr -X "$root/dist/$name.zip" "$name")
  echo "windows: dist/$name.zip"
}

case "$what" in
  deps) scripts/install-deps.sh windows && build_deps ;;
  build) do_build ;;
  test) scripts/windows-test.sh "$build" ;;
  dist) do_dist ;;
  all) do_build && scripts/windows-test.sh "$build" && do_dist ;;
  *) echo "usage: $0 [build | test | dist | all]" >&2; exit 2 ;;
esac
