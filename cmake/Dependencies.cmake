# jansson and GoogleTest, both installed on the machine, never copied here.
#  - Host: Debian's libjansson-dev and libgtest-dev.
#  - Windows (mingw): jansson cross-compiled from Debian's source package by
#    scripts/setup.sh into build/deps/jansson-win (or JANSSON_ROOT); GoogleTest
#    compiled from Debian's googletest sources.
#  - MSVC: JANSSON_ROOT names an installed jansson; GTEST_SOURCE_DIR a GoogleTest tree.
add_library(li_jansson INTERFACE)
if(WIN32)
  set(JANSSON_ROOT "${CMAKE_SOURCE_DIR}/build/deps/jansson-win" CACHE PATH "Installed jansson for Windows")
  find_path(JANSSON_INCLUDE_DIR jansson.h PATHS ${JANSSON_ROOT}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(JANSSON_LIBRARY NAMES jansson PATHS ${JANSSON_ROOT}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT JANSSON_INCLUDE_DIR OR NOT JANSSON_LIBRARY)
    message(FATAL_ERROR "jansson for Windows not found under ${JANSSON_ROOT}; run scripts/setup.sh")
  endif()
  target_include_directories(li_jansson INTERFACE ${JANSSON_INCLUDE_DIR})
  target_link_libraries(li_jansson INTERFACE ${JANSSON_LIBRARY})
  set(GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  if(EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(MINGW)
      # Reaches every test through gtest's usage requirements.
      target_compile_options(gtest PUBLIC -include ${CMAKE_SOURCE_DIR}/cmake/gtest_win32_threads.h)
    endif()
    set(LI_HAVE_GTEST ON)
  endif()
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(JANSSON REQUIRED IMPORTED_TARGET jansson)
  target_link_libraries(li_jansson INTERFACE PkgConfig::JANSSON)
  find_package(GTest REQUIRED)
  set(LI_HAVE_GTEST ON)
endif()

# li_add_unit_test(<name> <sources...>): a GoogleTest binary of the current
# build. Host binaries run directly; Windows binaries are run under Wine by the
# host build (tests/CMakeLists.txt registers them by name). Every one has the
# shared test support (tests/support) at hand.
function(li_add_unit_test name)
  if(NOT LI_HAVE_GTEST)
    return()
  endif()
  add_executable(${name} ${ARGN})
  if(WIN32)
    # No -municode: gtest_main provides main(), not wmain().
    target_link_libraries(${name} PRIVATE li_layers li_test_support gmock gtest_main ${LI_STATIC_LINK})
  else()
    target_link_libraries(${name} PRIVATE li_layers li_test_support GTest::gtest_main GTest::gmock)
    add_test(NAME host.${name} COMMAND ${name})
  endif()
endfunction()

# li_add_unit_tests(<name>...): one unit test per <name>.cc, named after it.
function(li_add_unit_tests)
  foreach(name ${ARGN})
    li_add_unit_test(${name} ${name}.cc)
  endforeach()
endfunction()

# li_unicode_entry(<target>): a program whose entry is wmain or wWinMain.
# mingw needs -municode for that (the GUI subsystem comes from
# add_executable(... WIN32 ...)); MSVC finds the wide entry by itself.
function(li_unicode_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()
