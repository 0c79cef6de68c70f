# The built-in schema with every mark taken out, given with --annex, as an official schema comes:
# the marks come back from the built-in schema, so every report is the built-in schema's, byte
# for byte, and standard error says so in one line (none with --quiet). Its description is the
# built-in one's, the paragraph about the lent marks apart. Called by ctest as
#   cmake -DTOOL=swde-check -DROOT=source -DSCRATCH=dir -P StrippedAnnex.cmake
cmake_minimum_required(VERSION 3.20)

file(READ "${ROOT}/data/annex.xml" annex)
string(FIND "${annex}" "<SWDE " root)  # the marks, not the comment that explains them
string(SUBSTRING "${annex}" ${root} -1 sections)
string(REGEX MATCHALL " check=\"[^\"]+\"" checks "${sections}")
string(REGEX MATCHALL " key=\"1\"" keys "${sections}")
string(REGEX MATCHALL " shares=\"[^\"]+\"" shares "${sections}")
list(LENGTH checks checks)
list(LENGTH keys keys)
list(LENGTH shares shares)
string(REGEX REPLACE " (check|shares|key-scope)=\"[^\"]+\"| key=\"1\"" "" stripped "${annex}")
if(checks EQUAL 0 OR keys EQUAL 0 OR shares EQUAL 0 OR stripped MATCHES "check=|key=|shares=")
  message(FATAL_ERROR "data/annex.xml: the marks were not found where expected")
endif()
file(MAKE_DIRECTORY "${SCRATCH}")
set(stripped_path "${SCRATCH}/annex.xml")
file(WRITE "${stripped_path}" "${stripped}")
set(notice "swde-check: reference schema: ${stripped_path}: marks: built-in (the schema has no key, check or shares mark of its own; the built-in schema's apply to the record types and attributes the two share: ${checks} checks, ${keys} keys, ${shares} shares)\n")

set(failures "")
function(run out err status)
  execute_process(COMMAND ${EMULATOR} "${TOOL}" ${ARGN} WORKING_DIRECTORY "${ROOT}"
                  OUTPUT_VARIABLE o ERROR_VARIABLE e RESULT_VARIABLE s)
  set(${out} "${o}" PARENT_SCOPE)
  set(${err} "${e}" PARENT_SCOPE)
  set(${status} "${s}" PARENT_SCOPE)
endfunction()
function(expect what actual expected)
  if(NOT actual STREQUAL expected)
    file(WRITE "${SCRATCH}/actual" "${actual}")
    file(WRITE "${SCRATCH}/expected" "${expected}")
    execute_process(COMMAND diff -u "${SCRATCH}/expected" "${SCRATCH}/actual")
    set(failures "${failures}${what}\n" PARENT_SCOPE)
  endif()
endfunction()

foreach(document examples/clean.xml examples/precincts.xml examples/document-faults.xml
                 examples/faults.xml)
  foreach(format text json csv)
    set(options --today 2026.06.15 --format ${format} ${document})
    run(builtin builtin_err builtin_status ${options})
    run(lent lent_err lent_status --annex "${stripped_path}" ${options})
    expect("${document} ${format}: report" "${lent}" "${builtin}")
    expect("${document} ${format}: exit status" "${lent_status}" "${builtin_status}")
    expect("${document} ${format}: built-in schema's standard error" "${builtin_err}" "")
    expect("${document} ${format}: standard error" "${lent_err}" "${notice}")
  endforeach()
endforeach()
run(quiet quiet_err quiet_status --quiet --annex "${stripped_path}" examples/document-faults.xml)
expect("--quiet: standard error" "${quiet_err}" "")

run(builtin builtin_err builtin_status --describe-annex)
run(lent lent_err lent_status --describe-annex --annex "${stripped_path}")
string(REPLACE "`<built-in annex>`" "`${stripped_path}`" builtin "${builtin}")
string(REGEX REPLACE "\n\nMarks: built-in\\. [^\n]*\\(${checks} checks, ${keys} keys, ${shares} shares\\)[^\n]*\n" "\n" lent "${lent}")
expect("--describe-annex" "${lent}" "${builtin}")
expect("--describe-annex: standard error" "${lent_err}" "${notice}")

if(failures)
  message(FATAL_ERROR "The stripped schema's runs differ:\n${failures}")
endif()
