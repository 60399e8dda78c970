# Runs one Qt Test program of the Windows build under Wine, for CTest:
#   cmake -DEMULATOR=wine -DPROGRAM=x.exe -DLOG=x.log -P RunWineQtTest.cmake
# The platform is named on the program's command line, as Wine hands no
# QT_ variable of the environment to a Windows program; Qt Test's log is
# written to a file and printed, as its own output does not reach Wine's
# console.
file(REMOVE ${LOG})
execute_process(COMMAND ${EMULATOR} ${PROGRAM} -platform offscreen -o ${LOG},txt RESULT_VARIABLE result)
if(EXISTS ${LOG})
  execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${LOG})
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with ${result}")
endif()
