# Runs TOOL (through EMULATOR when set) with ARGS on INPUT and compares its standard output
# and standard error with EXPECTED_OUT and EXPECTED_ERR (line ends are ignored).
execute_process(COMMAND ${EMULATOR} ${TOOL} ${ARGS}
                INPUT_FILE ${INPUT}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ftplist exited with ${rc}: ${err}")
endif()
foreach(kind IN ITEMS out err)
  string(TOUPPER ${kind} upper)
  file(READ ${EXPECTED_${upper}} want)
  string(REPLACE "\r\n" "\n" got "${${kind}}")
  string(REPLACE "\r\n" "\n" want "${want}")
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "standard ${kind} differs.\n--- expected\n${want}--- got\n${got}")
  endif()
endforeach()
