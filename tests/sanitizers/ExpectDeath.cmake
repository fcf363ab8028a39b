# Runs PROGRAM with MODE and passes only when it fails and its error output
# matches PATTERN: the sanitizer stopped the fault and said why.
execute_process(COMMAND ${PROGRAM} ${MODE} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(status EQUAL 0)
  message(FATAL_ERROR "${MODE} was not stopped:\n${out}${err}")
endif()
if(NOT err MATCHES "${PATTERN}")
  message(FATAL_ERROR "${MODE} failed (${status}) without the report \"${PATTERN}\":\n${out}${err}")
endif()
message(STATUS "${MODE} stopped: ${status}")
