# The Pascal unit (bindings/pascal/swde.pas) over the shared libswde_c: Free Pascal compiles its
# example host with warnings as errors, then the example checks examples/faults.xml, builds an
# address by hand and checks it, and meets a document that does not exist. What it prints to
# both streams, and its exit statuses, must be pascal.expected byte for byte; with
# SWDE_UPDATE_GOLDEN=1 in the environment the file is written instead.
# cmake -DFPC=... -DSOURCE_DIR=... -DLIBRARY_DIR=... -DWORK_DIR=... -P Pascal.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(
  COMMAND "${FPC}" -Mdelphi -Sew -vew "-FU${WORK_DIR}" "-FE${WORK_DIR}"
          "-Fu${SOURCE_DIR}/bindings/pascal" "-Fl${LIBRARY_DIR}" -k-rpath "-k${LIBRARY_DIR}"
          "${SOURCE_DIR}/bindings/pascal/examples/check.dpr"
  WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "fpc failed (${status}):\n${out}")
endif()

set(actual "")
foreach(args IN ITEMS "examples/faults.xml" "--object" "missing.xml")
  execute_process(COMMAND "${WORK_DIR}/check" ${args} WORKING_DIRECTORY "${SOURCE_DIR}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(APPEND actual "$ check ${args}\n${out}")
  if(NOT err STREQUAL "")
    string(APPEND actual "stderr: ${err}")
  endif()
  string(APPEND actual "exit ${status}\n")
endforeach()

set(golden "${CMAKE_CURRENT_LIST_DIR}/pascal.expected")
if("$ENV{SWDE_UPDATE_GOLDEN}" STREQUAL "1")
  file(WRITE "${golden}" "${actual}")
  return()
endif()
file(READ "${golden}" expected)
if(NOT actual STREQUAL expected)
  file(WRITE "${WORK_DIR}/actual" "${actual}")
  execute_process(COMMAND diff -u "${golden}" "${WORK_DIR}/actual")
  message(FATAL_ERROR "The Pascal example's output differs from ${golden} (above)")
endif()
