# The program is built as one static library per layer, lowest first:
#
#   li_platform   platform/             Windows version, clock, paths, resources, strings
#   li_core       installer/ (core)     log, switches, registry values, exit codes
#   li_brand      brand/                brand configuration and packages, distribution parameters
#   li_verify     verify/               trusted info and signer check
#   li_setup      setup/                download, install flow, data files, reports
#   li_ui         ui/                   dialogs, drawing, controls, progress, setup messages
#   lite_installer                      installer/main_win.cc: the entry point on top of all
#
# Each layer takes every source of its folder and chooses by suffix:
# "*_win.cc" only in the Windows build, "*_host.cc" only in the host build,
# anything else (portable) in both. A layer links only the layers below it, and
# before it compiles, a check reads the #include lines of all its files (both
# builds' files) and refuses a quoted include of a folder it may not reach.
#
# li_add_layer(<target> FOLDER <dir> [SKIP <file>...] [LINKS <layer>...]
#              MAY_INCLUDE <dir>...)
function(li_add_layer name)
  cmake_parse_arguments(L "" "FOLDER" "SKIP;LINKS;MAY_INCLUDE" ${ARGN})
  set(dir ${CMAKE_SOURCE_DIR}/${L_FOLDER})
  file(GLOB all_files CONFIGURE_DEPENDS ${dir}/*.cc ${dir}/*.h)
  set(sources)
  set(checked)
  foreach(file ${all_files})
    get_filename_component(base ${file} NAME)
    if(base IN_LIST L_SKIP)
      continue()
    endif()
    list(APPEND checked ${file})
    if(base MATCHES "_win\\.cc$" AND NOT WIN32)
      continue()
    endif()
    if(base MATCHES "_host\\.cc$" AND WIN32)
      continue()
    endif()
    list(APPEND sources ${file})
  endforeach()
  set(scope PUBLIC)
  if(sources MATCHES "\\.cc")
    add_library(${name} STATIC ${sources})
  else()
    add_library(${name} INTERFACE)  # a folder of headers only, for now
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${CMAKE_SOURCE_DIR} ${LI_GENERATED_DIR})
  if(L_LINKS)
    target_link_libraries(${name} ${scope} ${L_LINKS})
  endif()

  set(list_file ${CMAKE_BINARY_DIR}/layers/${name}.files)
  string(REPLACE ";" "\n" lines "${checked}")
  file(WRITE ${list_file}.new "${lines}\n")
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/layers)
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${list_file}.new ${list_file})
  set(stamp ${CMAKE_BINARY_DIR}/layers/${name}.checked)
  string(REPLACE ";" "," allowed "${L_MAY_INCLUDE}")
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${name} -DFILES=${list_file} -DALLOWED=${allowed}
            -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/check_layer.cmake
    DEPENDS ${checked} ${list_file} ${CMAKE_SOURCE_DIR}/cmake/check_layer.cmake
    COMMENT "Checking the includes of ${name}"
    VERBATIM)
  add_custom_target(${name}_includes ALL DEPENDS ${stamp})
  if(scope STREQUAL PUBLIC)
    add_dependencies(${name} ${name}_includes)
  endif()
endfunction()
