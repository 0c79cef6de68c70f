# Windows (mingw-w64) only: the programs' manifest, and swde.dll. Included last, once every
# target it adds to exists.
#
# The manifest makes UTF-8 the programs' active code page (Windows 10 1903 and later), so that
# their arguments and the file names they pass to the C run-time are UTF-8, as on Linux.
#
# swde.dll holds the C interface with everything else inside (the library, the engine, expat,
# GMP, the C++ run-time) and exports exactly the functions of swde.h; beside it an import library
# for mingw (libswde.dll.a), one for MSVC (swde.lib, written by dlltool) and the .def file.
set(swde_windows_dir "${PROJECT_BINARY_DIR}/windows")
set(swde_manifest "${swde_windows_dir}/utf8.manifest")
file(CONFIGURE OUTPUT "${swde_manifest}" CONTENT [=[<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>
    </windowsSettings>
  </application>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
      <supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>
    </application>
  </compatibility>
</assembly>
]=])
set(swde_manifest_rc "${swde_windows_dir}/utf8.rc")
file(CONFIGURE OUTPUT "${swde_manifest_rc}"
     CONTENT "1 24 \"${swde_manifest}\"\n")
enable_language(C)
enable_language(RC)
set(swde_utf8_programs swde-check swde-gen)
if(SWDE_BUILD_TESTS)
  list(APPEND swde_utf8_programs swde_c_consumer swde_c_boundaries swde_unit_tests
       swde_reader_tests)
endif()
foreach(program IN LISTS swde_utf8_programs)
  if(TARGET ${program})
    target_sources(${program} PRIVATE "${swde_manifest_rc}")
  endif()
endforeach()

add_library(swde_dll SHARED "${PROJECT_SOURCE_DIR}/src/swde/c/CApi.cpp")
target_include_directories(swde_dll PUBLIC "${PROJECT_SOURCE_DIR}/include")
target_link_libraries(swde_dll PRIVATE swde::engine swde::xml swde::swde)
target_compile_definitions(swde_dll PRIVATE SWDE_VERSION="${PROJECT_VERSION}" SWDE_C_BUILDING
                           PUBLIC SWDE_C_SHARED)
set(swde_def "${swde_windows_dir}/swde.def")
target_link_options(swde_dll PRIVATE "-Wl,--output-def,${swde_def}")
set_target_properties(swde_dll PROPERTIES
  OUTPUT_NAME swde
  PREFIX ""
  IMPORT_PREFIX "lib"
  IMPORT_SUFFIX ".dll.a"
  RUNTIME_OUTPUT_DIRECTORY "${swde_windows_dir}"
  ARCHIVE_OUTPUT_DIRECTORY "${swde_windows_dir}"
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
swde_set_warnings(swde_dll)
find_program(SWDE_DLLTOOL NAMES ${CMAKE_CXX_COMPILER_TARGET}-dlltool x86_64-w64-mingw32-dlltool
             dlltool REQUIRED)
add_custom_command(TARGET swde_dll POST_BUILD
  COMMAND "${SWDE_DLLTOOL}" -m i386:x86-64 -d "${swde_def}" -D swde.dll -l "${swde_windows_dir}/swde.lib"
  COMMENT "MSVC import library swde.lib")

if(SWDE_BUILD_TESTS)
  # The C consumer against the DLL, as a host links it (the suite's own consumer links the
  # static library); the DLL exports the functions of swde.h and nothing else.
  add_executable(swde_c_consumer_dll "${PROJECT_SOURCE_DIR}/tests/capi/consumer.c"
                                     "${swde_manifest_rc}")
  target_link_libraries(swde_c_consumer_dll PRIVATE swde_dll)
  set_target_properties(swde_c_consumer_dll PROPERTIES C_STANDARD 99 C_STANDARD_REQUIRED ON
                        RUNTIME_OUTPUT_DIRECTORY "${swde_windows_dir}")
  target_compile_options(swde_c_consumer_dll PRIVATE -Wall -Wextra -Wpedantic -Werror)
  add_test(NAME swde_c_consumer_dll COMMAND swde_c_consumer_dll
    "${PROJECT_SOURCE_DIR}/examples/faults.xml"
    "${PROJECT_SOURCE_DIR}/tests/cli/cases/annex-mistakes/annex.xml"
    "${PROJECT_SOURCE_DIR}/tests/cli/cases/annex-doubtful/annex.xml")
  file(STRINGS "${PROJECT_SOURCE_DIR}/include/swde/swde.h" declarations REGEX "swde_[a-z_]+\\(")
  set(names "")
  foreach(line IN LISTS declarations)
    if(line MATCHES "(swde_[a-z_]+)\\(")
      list(APPEND names ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  find_program(SWDE_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)
  add_test(NAME swde_dll_exports COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${SWDE_OBJDUMP}
    -DDLL=$<TARGET_FILE:swde_dll> -DEXE=$<TARGET_FILE:swde-check> "-DEXPECTED=${names}"
    -P "${PROJECT_SOURCE_DIR}/tests/capi/WindowsImports.cmake")
  set_tests_properties(swde_c_consumer_dll swde_dll_exports PROPERTIES LABELS capi)
endif()
