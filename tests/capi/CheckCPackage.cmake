# Runs one check of the installed C interface and Python package (cmake -P). Variables:
#   SWDE_STEP     cmake | pkgconfig | python
#   SWDE_PREFIX   the prefix the packaging checks installed to; SWDE_LIBDIR relative to it
#   SWDE_WORK_DIR scratch directory; SWDE_SOURCE_DIR the source tree
#   SWDE_GENERATOR, SWDE_C_COMPILER, SWDE_CONFIG   to build the consumer like the library
#   SWDE_PYTHON_EXECUTABLE, SWDE_PYTHON_DIR        the interpreter, the package's directory
#   SWDE_VERSION  the project's version, which pkg-config and the Python package must give
cmake_minimum_required(VERSION 3.20)

include(${CMAKE_CURRENT_LIST_DIR}/../packaging/RunCommand.cmake)

set(faults "${SWDE_SOURCE_DIR}/examples/faults.xml")
set(cases "${SWDE_SOURCE_DIR}/tests/cli/cases")
set(consumer_args "${faults}" "${cases}/annex-mistakes/annex.xml" "${cases}/annex-doubtful/annex.xml")
set(build "${SWDE_WORK_DIR}/c-${SWDE_STEP}")
file(REMOVE_RECURSE "${build}")
file(MAKE_DIRECTORY "${build}")

if(SWDE_STEP STREQUAL "cmake")
  run(${CMAKE_COMMAND} -S "${SWDE_SOURCE_DIR}/tests/capi/package" -B "${build}"
    -G "${SWDE_GENERATOR}" "-DCMAKE_C_COMPILER=${SWDE_C_COMPILER}"
    "-DCMAKE_PREFIX_PATH=${SWDE_PREFIX}" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    "-DCMAKE_BUILD_TYPE=${SWDE_CONFIG}")
  run(${CMAKE_COMMAND} --build "${build}")
  run("${build}/app" ${consumer_args})

elseif(SWDE_STEP STREQUAL "pkgconfig")
  find_program(pkg_config NAMES pkg-config pkgconf REQUIRED)
  set(ENV{PKG_CONFIG_PATH} "${SWDE_PREFIX}/${SWDE_LIBDIR}/pkgconfig")
  run("${pkg_config}" --modversion swde-c)
  if(NOT output STREQUAL "${SWDE_VERSION}\n")
    message(FATAL_ERROR "pkg-config gives swde-c the version ${output}")
  endif()
  run("${pkg_config}" --cflags --libs swde-c)
  string(STRIP "${output}" flags)
  message(STATUS "pkg-config --cflags --libs swde-c: ${flags}")
  separate_arguments(flag_list UNIX_COMMAND "${flags}")
  run("${SWDE_C_COMPILER}" -std=c99 -Wall -Werror "${SWDE_SOURCE_DIR}/tests/capi/consumer.c"
    -o "${build}/app" ${flag_list} "-Wl,-rpath,${SWDE_PREFIX}/${SWDE_LIBDIR}")
  run("${build}/app" ${consumer_args})

elseif(SWDE_STEP STREQUAL "python")
  # The installed package, not the build tree's: the interpreter runs in a scratch folder.
  set(ENV{PYTHONPATH} "${SWDE_PREFIX}/${SWDE_PYTHON_DIR}")
  file(WRITE "${build}/installed.py" [[
import sys
import swde
assert swde.__file__.startswith(sys.argv[2]), swde.__file__
report = swde.check(sys.argv[1], profile="catalogue")
print(report.objects, report.errors, report.warnings, swde.__version__)
]])
  run("${SWDE_PYTHON_EXECUTABLE}" "${build}/installed.py" "${faults}" "${SWDE_PREFIX}")
  if(NOT output STREQUAL "16 26 4 ${SWDE_VERSION}\n")
    message(FATAL_ERROR "the installed package reported: ${output}")
  endif()

else()
  message(FATAL_ERROR "unknown SWDE_STEP '${SWDE_STEP}'")
endif()
message(STATUS "${SWDE_STEP}: the installed package served the consumer")
