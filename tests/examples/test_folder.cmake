# A temporary folder for one test script.
#   test_folder_make(var): makes one and sets var to its path.
#   test_folder_end(dir problems): removes it (keeps it and prints its path
#   when SVX_KEEP_TEST_OUTPUT is set), then fails with `problems` if any.
function(test_folder_make var)
  execute_process(COMMAND mktemp -d OUTPUT_VARIABLE dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE made)
  if(NOT made EQUAL 0)
    message(FATAL_ERROR "cannot make a temporary folder")
  endif()
  set(${var} ${dir} PARENT_SCOPE)
endfunction()

function(test_folder_end dir problems)
  if(DEFINED ENV{SVX_KEEP_TEST_OUTPUT})
    message("test output kept in ${dir}")
  else()
    file(REMOVE_RECURSE ${dir})
  endif()
  if(problems)
    message(FATAL_ERROR "${problems}")
  endif()
endfunction()
