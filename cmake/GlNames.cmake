# Writes platform/gl_names.h into OUT_DIR: a #define giving each call of
# platform/include/platform/gl_call_list.h its GL name (glBegin for
# platform::gl::Begin), since the preprocessor cannot make a #define from a
# list. Made again at configure time whenever the list changes.
function(pqn_generate_gl_names source_root out_dir)
  set(list_file ${source_root}/platform/include/platform/gl_call_list.h)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
  file(READ ${list_file} text)
  string(REGEX MATCHALL "X\\([A-Za-z]+, ([A-Za-z0-9]+), (gl[A-Za-z0-9]+)," entries "${text}")
  set(lines "// Made by cmake/GlNames.cmake from platform/gl_call_list.h; not to be edited.\n#pragma once\n")
  foreach(entry ${entries})
    string(REGEX REPLACE "X\\([A-Za-z]+, ([A-Za-z0-9]+), (gl[A-Za-z0-9]+)," "#define \\2 platform::gl::\\1" line "${entry}")
    string(APPEND lines "${line}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${out_dir}/platform/gl_names.h CONTENT "${lines}" @ONLY)
endfunction()
