# qinghe_embed(<out_var> <symbol> <file>): turns a file into a generated C++ source that
# defines `extern const unsigned char <symbol>[]` and `extern const std::size_t <symbol>_size`.
# The file's bytes are embedded as they are; the source is regenerated when the file changes.
function(qinghe_embed out_var symbol file)
  get_filename_component(input "${file}" ABSOLUTE)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
    DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
    COMMENT "Embedding ${file}"
    VERBATIM)
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()
