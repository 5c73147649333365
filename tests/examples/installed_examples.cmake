# Installs BUILD_DIR into a temporary prefix, moves the prefix elsewhere, and
# runs every example of EXAMPLES (written by CMakeLists.txt) with the
# installed program and tools, from the installed examples, through
# RUN_EXAMPLE. The prefix goes at the end unless SVX_KEEP_TEST_OUTPUT is set.
include(${CMAKE_CURRENT_LIST_DIR}/test_folder.cmake)
test_folder_make(dir)
set(problems "")
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${dir}/installed
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  string(APPEND problems "cmake --install failed (${rc}):\n${out}${err}\n")
else()
  # Nothing of the installation may depend on where it was installed.
  file(RENAME ${dir}/installed ${dir}/moved)
  set(prefix ${dir}/moved)
  foreach(file bin/sorvanelix-script bin/sorvanelix-sample-db bin/sorvanelix-info
               lib/sorvanelix/controls/svx_progress_bar.so
               share/doc/sorvanelix/README.md share/doc/sorvanelix/host/README.md
               share/doc/sorvanelix/docs/reference.md share/doc/sorvanelix/docs/control_plugins.md
               share/doc/sorvanelix/docs/architecture.md share/doc/sorvanelix/docs/sign_in_window.png)
    if(NOT EXISTS ${prefix}/${file})
      string(APPEND problems "not installed: ${file}\n")
    endif()
  endforeach()
  # The installed README names the installed program, not the build's.
  file(READ ${prefix}/share/doc/sorvanelix/README.md readme)
  if(readme MATCHES "build/bin" OR NOT readme MATCHES "DIR/bin/sorvanelix-script DIR/share/doc/sorvanelix/examples/")
    string(APPEND problems "the installed README names the build's program\n")
  endif()
  # sorvanelix-info finds the installed plug-ins beside itself.
  execute_process(COMMAND ${prefix}/bin/sorvanelix-info RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "\nSorvanelix\\.Dialog .*\nSorvanelix\\.ProgressBar .*\nRecordset ")
    string(APPEND problems "sorvanelix-info (${rc}) does not list the installed classes:\n${out}${err}\n")
  endif()
  include(${EXAMPLES})
  foreach(name ${examples})
    execute_process(COMMAND ${CMAKE_COMMAND}
        -DBIN_DIR=${prefix}/bin -DEXAMPLES_DIR=${prefix}/share/doc/sorvanelix/examples
        -DSCRIPT=${example_${name}_SCRIPT} -DPICTURE=${example_${name}_PICTURE}
        "-DOUT=${example_${name}_OUT}" "-DLOG=${example_${name}_LOG}" "-DARGS=${example_${name}_ARGS}"
        "-DSETUP=${example_${name}_SETUP}" "-DNO_DOCUMENTS=${example_${name}_NO_DOCUMENTS}"
        -P ${RUN_EXAMPLE}
      RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      string(APPEND problems "example ${name}:\n${out}${err}\n")
    endif()
  endforeach()
endif()
test_folder_end(${dir} "${problems}")
