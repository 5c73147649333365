# Runs BIN_DIR/sorvanelix-script EXAMPLES_DIR/SCRIPT FOLDER/PICTURE ARGS... in
# a temporary folder of its own, which is also the Documents folder (with
# NO_DOCUMENTS: the home is an empty folder in it, and no Documents folder is
# named), with no SVX_CONTROL_PATH, and checks: exit status 0, standard output against OUT, a
# PNG written to FOLDER/PICTURE, and with LOG, the Documents folder's log
# file against that expression. SETUP (a program in BIN_DIR and its
# arguments) runs first, in the folder. The folder goes at the end unless
# SVX_KEEP_TEST_OUTPUT is set.
include(${CMAKE_CURRENT_LIST_DIR}/test_folder.cmake)
test_folder_make(dir)
unset(ENV{SVX_CONTROL_PATH})
if(DEFINED SETUP AND NOT SETUP STREQUAL "")
  list(POP_FRONT SETUP tool)
  execute_process(COMMAND ${BIN_DIR}/${tool} ${SETUP} WORKING_DIRECTORY ${dir} RESULT_VARIABLE setup_rc)
  if(NOT setup_rc EQUAL 0)
    test_folder_end(${dir} "set-up ${tool} ${SETUP} failed: ${setup_rc}")
  endif()
endif()
if(NO_DOCUMENTS)
  file(MAKE_DIRECTORY ${dir}/home)
  set(documents --unset=XDG_DOCUMENTS_DIR --unset=XDG_CONFIG_HOME HOME=${dir}/home)
else()
  set(documents XDG_DOCUMENTS_DIR=${dir})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${documents}
                        ${BIN_DIR}/sorvanelix-script ${EXAMPLES_DIR}/${SCRIPT} ${dir}/${PICTURE} ${ARGS}
  WORKING_DIRECTORY ${dir} TIMEOUT 60
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(problem "")
if(NOT rc EQUAL 0)
  set(problem "exit status ${rc}")
elseif(DEFINED OUT AND NOT out MATCHES "${OUT}")
  set(problem "standard output does not match ${OUT}")
elseif(NOT EXISTS ${dir}/${PICTURE})
  set(problem "no picture ${PICTURE}")
else()
  file(READ ${dir}/${PICTURE} magic LIMIT 8 HEX)
  if(NOT magic STREQUAL "89504e470d0a1a0a")
    set(problem "${PICTURE} is not a PNG")
  elseif(DEFINED LOG AND NOT LOG STREQUAL "")
    file(GLOB logs ${dir}/*.txt)
    set(text "")
    if(logs)
      file(READ ${logs} text)
    endif()
    if(NOT text MATCHES "${LOG}")
      set(problem "the log file does not match ${LOG}:\n${text}")
    endif()
  endif()
endif()
if(problem)
  set(problem "${problem}\nstdout: ${out}\nstderr: ${err}")
endif()
test_folder_end(${dir} "${problem}")
