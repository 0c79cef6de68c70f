# Strict warnings for swde's own targets only; third-party headers are included as SYSTEM.
# -Wshadow is left out: the public classes have data members such as `name`, `code`, `line` and
# `id`, and the operations that fill them take parameters of the same names on purpose.
function(swde_set_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wold-style-cast -Wcast-qual -Wundef
      -Wnon-virtual-dtor -Woverloaded-virtual -Wconversion -Wsign-conversion)
    if(SWDE_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
