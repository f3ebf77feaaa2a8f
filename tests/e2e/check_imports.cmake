# Fails when EXECUTABLE imports dwmapi.dll at load time: that library is no
# known DLL, so the loader would take a copy planted beside the executable.
# Usage: cmake -DOBJDUMP=... -DEXECUTABLE=... -P check_imports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXECUTABLE} OUTPUT_VARIABLE headers RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${EXECUTABLE}")
endif()
string(TOLOWER "${headers}" headers)
if(NOT headers MATCHES "dll name: flutter_windows\\.dll")
  message(FATAL_ERROR "no import table found in ${EXECUTABLE}")
endif()
if(headers MATCHES "dll name: dwmapi\\.dll")
  message(FATAL_ERROR "${EXECUTABLE} imports dwmapi.dll at load time")
endif()
