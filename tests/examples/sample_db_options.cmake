# Runs BIN_DIR/sorvanelix-sample-db with options in a temporary folder of its
# own: --help and -h print the usage (status 0), another option is refused
# (status 2), and neither makes a file.
include(${CMAKE_CURRENT_LIST_DIR}/test_folder.cmake)
test_folder_make(dir)
set(problems "")
foreach(case "--help;0" "-h;0" "--verbose;2")
  list(GET case 0 option)
  list(GET case 1 expected)
  execute_process(COMMAND ${BIN_DIR}/sorvanelix-sample-db ${option} WORKING_DIRECTORY ${dir}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc STREQUAL expected)
    string(APPEND problems "${option}: exit status ${rc}, expected ${expected}\n")
  endif()
  if(NOT "${out}${err}" MATCHES "usage: sorvanelix-sample-db FILE")
    string(APPEND problems "${option}: no usage:\n${out}${err}\n")
  endif()
  file(GLOB made_files ${dir}/* ${dir}/.*)
  if(made_files)
    string(APPEND problems "${option}: made ${made_files}\n")
    file(REMOVE ${made_files})
  endif()
endforeach()
test_folder_end(${dir} "${problems}")
