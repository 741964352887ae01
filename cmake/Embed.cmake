# qinghe_embed(<out_var> <name> <file>): turns a file into a generated C++ source that
# defines `qinghe::embedded::<name>`, a span over the file's bytes (followed by a NUL
# that the span leaves out). The source is regenerated when the file changes; every
# embedded name is declared in the one generated header "generated/embedded_files.h".
function(qinghe_embed out_var name file)
  get_filename_component(input "${file}" ABSOLUTE)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/embedded_${name}.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DNAME=${name}
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
    DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
    COMMENT "Embedding ${file}"
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY QINGHE_EMBEDDED_NAMES ${name})
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

# Writes the header that declares every embedded file, and lists the icon's PNG sizes
# (embedded as icon_<size>_png). Called once, after every qinghe_embed.
function(qinghe_write_embedded_header)
  get_property(names GLOBAL PROPERTY QINGHE_EMBEDDED_NAMES)
  set(declarations "")
  foreach(name ${names})
    string(APPEND declarations "extern const std::span<const unsigned char> ${name};\n")
  endforeach()
  set(icons "")
  foreach(size ${QINGHE_ICON_SIZES})
    string(APPEND icons "    {${size}, icon_${size}_png},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/embedded_files.h @ONLY CONTENT
"#pragma once
// Written by CMake: the files embedded into the program. Do not edit.
#include <span>

namespace qinghe::embedded {

${declarations}
struct IconPng {
    int size;
    const std::span<const unsigned char>& png;
};
// The application icon's PNG sizes, smallest first.
inline const IconPng kIconPngs[] = {
${icons}};

}  // namespace qinghe::embedded
")
endfunction()
