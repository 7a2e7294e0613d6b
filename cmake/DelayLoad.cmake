# Delay-loaded system libraries (see platform/library_guard.h): a program
# that may start from a folder where others can leave DLLs imports only
# kernel32 and msvcrt when it starts; every library of this list is loaded at
# its first call by the delay-load helper, whose hook loads it by its full
# path in the system directory.
#
# mingw: for each library a delay-import library of the same name is made at
# configure time from the toolchain's import library (its function exports,
# through dlltool --output-delaylib), in a folder that the target searches
# before the toolchain's: "-lwininet" then finds the delayed one, for the
# libraries the code names and for those the compiler driver adds. ld (2.40)
# leaves out the loading stub of a function that is only called through its
# import pointer, which then stays 0 (measured: the first call jumps to
# address 0), so every delay-loaded function the program uses is named to
# the linker (-u): they are read from a twin of the target linked with the
# plain import libraries. MSVC: /DELAYLOAD for each.
set(LI_DELAY_LOADED_LIBRARIES
    advapi32 comctl32 comdlg32 crypt32 dwmapi gdi32 gdiplus imm32 msimg32 ole32 oleaut32
    secur32 shell32 shlwapi urlmon user32 userenv usp10 uxtheme version wininet winmm wintrust)

if(MINGW)
  set(LI_DELAY_LIBRARY_DIR ${CMAKE_BINARY_DIR}/delay_libraries)
  file(MAKE_DIRECTORY ${LI_DELAY_LIBRARY_DIR})
  foreach(library ${LI_DELAY_LOADED_LIBRARIES})
    set(import ${CMAKE_FIND_ROOT_PATH}/lib/lib${library}.a)
    set(delayed ${LI_DELAY_LIBRARY_DIR}/lib${library}.a)
    if(NOT EXISTS ${import})
      message(FATAL_ERROR "No import library for ${library}: ${import}")
    endif()
    if(EXISTS ${delayed} AND NOT ${import} IS_NEWER_THAN ${delayed})
      continue()
    endif()
    execute_process(COMMAND ${CMAKE_DLLTOOL} -I ${import} OUTPUT_VARIABLE dll
                    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    execute_process(COMMAND ${CMAKE_NM} ${import} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed_nm)
    if(failed OR failed_nm OR NOT dll)
      message(FATAL_ERROR "Cannot read the import library ${import}")
    endif()
    # Function thunks are "T _Name@N" (i686 adds one underscore); data
    # exports have no thunk and cannot be delay-loaded.
    string(REGEX MATCHALL "[0-9a-f]+ T _[^\n]+" thunks "${symbols}")
    set(def "LIBRARY ${dll}\nEXPORTS\n")
    foreach(thunk ${thunks})
      string(REGEX REPLACE "^[0-9a-f]+ T _" "" name "${thunk}")
      string(APPEND def "  ${name}\n")
    endforeach()
    file(WRITE ${LI_DELAY_LIBRARY_DIR}/${library}.def "${def}")
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${LI_DELAY_LIBRARY_DIR}/${library}.def
                            --dllname ${dll} --kill-at --output-delaylib ${delayed}
                    RESULT_VARIABLE failed ERROR_VARIABLE errors)
    if(failed)
      message(FATAL_ERROR "dlltool could not make ${delayed}: ${errors}")
    endif()
  endforeach()
endif()

# li_delay_load_system_libraries(<target>): call it after everything else
# about the target is set (its twin copies sources, libraries and options).
function(li_delay_load_system_libraries target)
  if(MINGW)
    set(twin ${target}_plain_imports)
    get_target_property(sources ${target} SOURCES)
    add_executable(${twin} EXCLUDE_FROM_ALL ${sources})
    foreach(property LINK_LIBRARIES INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS
                     LINK_OPTIONS WIN32_EXECUTABLE)
      get_target_property(value ${target} ${property})
      if(value)
        set_property(TARGET ${twin} PROPERTY ${property} "${value}")
      endif()
    endforeach()
    set_target_properties(${twin} PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                          ${CMAKE_BINARY_DIR}/delay_libraries/twins)
    set(keep ${CMAKE_BINARY_DIR}/delay_libraries/${target}.keep.rsp)
    add_custom_command(
      OUTPUT ${keep}
      COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DIMAGE=$<TARGET_FILE:${twin}>
              -DDEFS=${LI_DELAY_LIBRARY_DIR} "-DLIBRARIES=${LI_DELAY_LOADED_LIBRARIES}"
              -DOUT=${keep} -P ${CMAKE_SOURCE_DIR}/cmake/delay_keep.cmake
      DEPENDS ${twin} ${CMAKE_SOURCE_DIR}/cmake/delay_keep.cmake
      COMMENT "Delay-loaded functions of ${target}" VERBATIM)
    add_custom_target(${target}_delay_keep DEPENDS ${keep})
    add_dependencies(${target} ${target}_delay_keep)
    target_link_directories(${target} BEFORE PRIVATE ${LI_DELAY_LIBRARY_DIR})
    target_link_options(${target} PRIVATE "@${keep}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${keep})
  elseif(MSVC)
    foreach(library ${LI_DELAY_LOADED_LIBRARIES})
      target_link_options(${target} PRIVATE /DELAYLOAD:${library}.dll)
    endforeach()
    target_link_libraries(${target} PRIVATE delayimp)
  endif()
endfunction()
