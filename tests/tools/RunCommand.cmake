# Runs COMMAND (a ;-list) with standard input from INPUT (optional) and checks
# its exit status against STATUS and its standard error against the regular
# expression STDERR (optional). Used for the command-line tools' tests.
cmake_policy(VERSION 3.25)
set(input_option "")
if(DEFINED INPUT)
  set(input_option INPUT_FILE ${INPUT})
endif()
execute_process(COMMAND ${COMMAND} ${input_option}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED STDERR AND NOT err MATCHES "${STDERR}")
  message(FATAL_ERROR "standard error does not match \"${STDERR}\":\n${err}")
endif()
string(REGEX MATCHALL "\n" lines "${err}")
list(LENGTH lines count)
if(count GREATER 1)
  message(FATAL_ERROR "expected at most one line on standard error, got:\n${err}")
endif()
