# swde_embed_file(OUT_VAR INPUT file NAME symbol): a generated C++ source that holds the bytes of
# `file` as `extern const char symbol[]` and `extern const std::size_t symbol_size`, rebuilt
# whenever the file changes. OUT_VAR receives the source's path, for a target's sources.
function(swde_embed_file out_var)
  cmake_parse_arguments(EMBED "" "INPUT;NAME" "" ${ARGN})
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${EMBED_NAME}.cpp")
  add_custom_command(
    OUTPUT "${source}"
    COMMAND ${CMAKE_COMMAND} -DINPUT=${EMBED_INPUT} -DOUTPUT=${source} -DNAME=${EMBED_NAME}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS "${EMBED_INPUT}" ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${EMBED_INPUT} as ${EMBED_NAME}"
    VERBATIM)
  set(${out_var} "${source}" PARENT_SCOPE)
endfunction()
