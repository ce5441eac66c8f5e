# Build step of orvel_register(): registers a freshly built file into the state root of the
# build's environment (ORVEL_STATE_ROOT, else the user's). A failure is a warning: a build
# must not depend on the registry being writable.
#   cmake -DREGSVR=<regsvr> -DFILE=<file> -P RegisterStep.cmake
execute_process(COMMAND "${REGSVR}" "${FILE}"
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  TIMEOUT 60)
if(result EQUAL 0)
  string(STRIP "${output}" output)
  message(STATUS "${output}")
else()
  message(WARNING "Registration of ${FILE} failed (${result}): ${output}${errors}")
endif()
