# Runs one step of the packaging checks (cmake -P). Variables come from CMakeLists.txt:
#   SWDE_STEP          install | consumer | pkgconfig
#   SWDE_BUILD_DIR     the build tree of the library
#   SWDE_PREFIX        the install prefix used by the checks
#   SWDE_LIBDIR, SWDE_INCLUDEDIR   install directories relative to the prefix
#   SWDE_CONFIG        build configuration
#   SWDE_WORK_DIR      scratch directory for the consumer builds
#   SWDE_CONSUMER_DIR  sources of the consumer project
#   SWDE_DOCUMENT      the document the consumer reads (examples/clean.xml)
#   SWDE_GENERATOR, SWDE_CXX_COMPILER   used to build the consumer like the library

cmake_minimum_required(VERSION 3.20)

include(${CMAKE_CURRENT_LIST_DIR}/RunCommand.cmake)

set(config_args)
if(SWDE_CONFIG)
  set(config_args --config "${SWDE_CONFIG}")
endif()

if(SWDE_STEP STREQUAL "install")
  file(REMOVE_RECURSE "${SWDE_PREFIX}")
  run(${CMAKE_COMMAND} --install "${SWDE_BUILD_DIR}" --prefix "${SWDE_PREFIX}" ${config_args})
  foreach(file IN ITEMS
      "${SWDE_INCLUDEDIR}/swde/swde.hpp"
      "${SWDE_LIBDIR}/cmake/swde/swdeConfig.cmake"
      "${SWDE_LIBDIR}/cmake/swde/swdeConfigVersion.cmake"
      "${SWDE_LIBDIR}/cmake/swde/swdeTargets.cmake"
      "${SWDE_INCLUDEDIR}/swde/xml/Reader.hpp"
      "${SWDE_LIBDIR}/pkgconfig/swde.pc"
      "${SWDE_LIBDIR}/pkgconfig/swde-xml.pc")
    if(NOT EXISTS "${SWDE_PREFIX}/${file}")
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()
  # Internal headers stay out of the install.
  foreach(file IN ITEMS errors/SmerrorsUnit.hpp xml/detail)
    if(EXISTS "${SWDE_PREFIX}/${SWDE_INCLUDEDIR}/swde/${file}")
      message(FATAL_ERROR "internal header installed: swde/${file}")
    endif()
  endforeach()

elseif(SWDE_STEP STREQUAL "consumer")
  set(build "${SWDE_WORK_DIR}/consumer")
  file(REMOVE_RECURSE "${build}")
  set(build_type)
  if(SWDE_CONFIG)
    set(build_type "-DCMAKE_BUILD_TYPE=${SWDE_CONFIG}")
  endif()
  run(${CMAKE_COMMAND} -S "${SWDE_CONSUMER_DIR}" -B "${build}" -G "${SWDE_GENERATOR}"
    "-DCMAKE_CXX_COMPILER=${SWDE_CXX_COMPILER}" "-DCMAKE_PREFIX_PATH=${SWDE_PREFIX}"
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF ${build_type})
  run(${CMAKE_COMMAND} --build "${build}" ${config_args})
  find_program(app NAMES app PATHS "${build}" "${build}/${SWDE_CONFIG}" NO_DEFAULT_PATH)
  if(NOT app)
    message(FATAL_ERROR "consumer program not found in ${build}")
  endif()
  run("${app}" "${SWDE_DOCUMENT}")
  message(STATUS "consumer built against ${SWDE_PREFIX} and ran")

elseif(SWDE_STEP STREQUAL "pkgconfig")
  set(pc_dir "${SWDE_PREFIX}/${SWDE_LIBDIR}/pkgconfig")
  if(NOT EXISTS "${pc_dir}/swde-xml.pc")
    message(FATAL_ERROR "not installed: ${SWDE_LIBDIR}/pkgconfig/swde-xml.pc")
  endif()
  find_program(pkg_config NAMES pkg-config pkgconf)
  if(NOT pkg_config)
    message(STATUS "swde-packaging: skipped, pkg-config not found")
    return()
  endif()
  set(ENV{PKG_CONFIG_PATH} "${pc_dir}")  # searched before the system (expat comes from there)
  # swde-xml brings swde (and, for a static reader, expat) along.
  execute_process(COMMAND "${pkg_config}" --cflags --libs swde-xml
    RESULT_VARIABLE rc OUTPUT_VARIABLE flags ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config --cflags --libs swde-xml failed (${rc}): ${err}")
  endif()
  message(STATUS "pkg-config --cflags --libs swde-xml: ${flags}")
  # The flags must lead into the prefix the package was installed to (compared as real paths,
  # so that a relocatable file with "${pcfiledir}/../.." passes).
  separate_arguments(flag_list UNIX_COMMAND "${flags}")
  foreach(kind IN ITEMS I L)
    if(kind STREQUAL "I")
      set(want "${SWDE_PREFIX}/${SWDE_INCLUDEDIR}")
    else()
      set(want "${SWDE_PREFIX}/${SWDE_LIBDIR}")
    endif()
    get_filename_component(want "${want}" REALPATH)
    set(found FALSE)
    foreach(flag IN LISTS flag_list)
      if(flag MATCHES "^-${kind}(.+)$")
        get_filename_component(dir "${CMAKE_MATCH_1}" REALPATH)
        if(dir STREQUAL want)
          set(found TRUE)
        endif()
      endif()
    endforeach()
    if(NOT found)
      message(FATAL_ERROR "pkg-config flags lack -${kind} for ${want}: ${flags}")
    endif()
  endforeach()
  foreach(lib IN ITEMS -lswde_xml -lswde)
    if(NOT lib IN_LIST flag_list)
      message(FATAL_ERROR "pkg-config flags lack ${lib}: ${flags}")
    endif()
  endforeach()
  # And they must be enough to build and run the consumer.
  set(build "${SWDE_WORK_DIR}/pkgconfig")
  file(REMOVE_RECURSE "${build}")
  file(MAKE_DIRECTORY "${build}")
  run("${SWDE_CXX_COMPILER}" -std=c++17 "${SWDE_CONSUMER_DIR}/main.cpp" -o "${build}/app"
    ${flag_list} "-Wl,-rpath,${SWDE_PREFIX}/${SWDE_LIBDIR}")
  run("${build}/app" "${SWDE_DOCUMENT}")
  message(STATUS "consumer built with pkg-config flags and ran")

else()
  message(FATAL_ERROR "unknown SWDE_STEP '${SWDE_STEP}'")
endif()
