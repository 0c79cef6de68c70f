# swde_find_python(<var> <module>...): sets the cache entry <var> to the first python3 on PATH
# that imports every module given (a python3 of pyenv or of a virtual environment may come
# before the system's, without its Debian packages). Before CMake 3.25, to the first python3,
# whatever it imports. Left as it is when already set.
function(swde_python_imports result candidate)
  execute_process(COMMAND "${candidate}" -c "import ${swde_python_modules}"
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
  if(failed)
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(swde_find_python var)
  list(JOIN ARGN ", " swde_python_modules)
  if(CMAKE_VERSION VERSION_GREATER_EQUAL 3.25)
    find_program(${var} NAMES python3 VALIDATOR swde_python_imports)
  else()
    find_program(${var} NAMES python3)
  endif()
endfunction()
