# Install step: lets file managers see the sequence type and the viewer at once. Missing tools
# are not an error (the next login or package trigger refreshes the databases too).
#   cmake -DSHARE=<prefix>/share -DREGSVR=<regsvr> -DSUITE=<suite folder> -P RefreshDesktopDatabases.cmake
find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
  execute_process(COMMAND ${UPDATE_MIME} "${SHARE}/mime" RESULT_VARIABLE r OUTPUT_QUIET ERROR_QUIET)
endif()
find_program(UPDATE_DESKTOP update-desktop-database)
if(UPDATE_DESKTOP)
  execute_process(COMMAND ${UPDATE_DESKTOP} "${SHARE}/applications" OUTPUT_QUIET ERROR_QUIET)
endif()
# The viewer creates the image objects by class id: register both for the installing user.
execute_process(COMMAND "${REGSVR}" "${SUITE}/Medrix.so" "${SUITE}/Vistel"
  RESULT_VARIABLE r OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT r EQUAL 0)
  message(WARNING "Registration of the installed viewer failed: ${out}${err}")
endif()
