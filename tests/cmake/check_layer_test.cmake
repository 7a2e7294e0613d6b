# The layer check (cmake/check_layer.cmake) on a file of its own: an include
# of a higher layer's folder is refused, naming the file and the include; the
# same file with only allowed includes passes and leaves the stamp.
# Run as: cmake -DSOURCE_DIR=<project> -DWORK_DIR=<scratch folder> -P check_layer_test.cmake
set(work ${WORK_DIR}/check_layer_test)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})

# check(<expect: PASS|FAIL> <include line>)
function(check expect include)
  set(file ${work}/x.cc)
  file(WRITE ${file} "// A file of the brand layer.\n#include \"brand/own.h\"\n${include}\n")
  file(WRITE ${work}/files "${file}\n")
  file(REMOVE ${work}/stamp)
  execute_process(COMMAND ${CMAKE_COMMAND} -DLAYER=li_brand -DFILES=${work}/files
                          -DALLOWED=platform,installer,brand -DSTAMP=${work}/stamp
                          -P ${SOURCE_DIR}/cmake/check_layer.cmake
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(expect STREQUAL "FAIL")
    string(FIND "${output}" "${file}: includes \"setup/x.h\"" at)
    if(result EQUAL 0 OR at EQUAL -1 OR EXISTS ${work}/stamp)
      message(FATAL_ERROR "'${include}' was not refused with its line (${result}):\n${output}")
    endif()
  elseif(NOT result EQUAL 0 OR NOT EXISTS ${work}/stamp)
    message(FATAL_ERROR "'${include}' was refused (${result}):\n${output}")
  endif()
endfunction()

check(FAIL "#include \"setup/x.h\"")
check(FAIL "  #  include \"setup/x.h\"  // indented, spaced")
check(PASS "#include \"installer/log.h\"")
check(PASS "#include <setup/x.h>")  # a system header, not one of ours
check(PASS "#include \"x.h\"")      # beside the file
