# Runs ovfetch with ARGS (separated by "|") and checks its exit status (EXPECTED_RC) and that standard error
# contains EXPECTED_ERR.
file(MAKE_DIRECTORY ${OUT_DIR})
string(REPLACE "|" ";" ARGS "${ARGS}")
execute_process(COMMAND ${EMULATOR} ${TOOL} ${ARGS}
                RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT rc STREQUAL EXPECTED_RC)
  message(FATAL_ERROR "exit status ${rc}, expected ${EXPECTED_RC}; stderr: ${err}")
endif()
string(FIND "${err}" "${EXPECTED_ERR}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "stderr lacks '${EXPECTED_ERR}': ${err}")
endif()
