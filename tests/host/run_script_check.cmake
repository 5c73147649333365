# Runs EXE FLAGS... SCRIPT ARGS... and checks its exit status (RC) and, when given,
# regular expressions for its standard output (OUT) and error (ERR); with
# SECONDS, the time it may take.
set(limit)
if(DEFINED SECONDS AND NOT SECONDS STREQUAL "")
  set(limit TIMEOUT ${SECONDS})
endif()
execute_process(COMMAND ${EXE} ${FLAGS} ${SCRIPT} ${ARGS} ${limit}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc STREQUAL RC)
  message(FATAL_ERROR "exit status ${rc}, expected ${RC}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED OUT AND NOT OUT STREQUAL "" AND NOT out MATCHES "${OUT}")
  message(FATAL_ERROR "stdout does not match ${OUT}:\n${out}")
endif()
if(DEFINED ERR AND NOT ERR STREQUAL "" AND NOT err MATCHES "${ERR}")
  message(FATAL_ERROR "stderr does not match ${ERR}:\n${err}")
endif()
