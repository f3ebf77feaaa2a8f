# Fails when EXECUTABLE imports dwmapi.dll at load time (that library is no
# known DLL, so the loader would take a copy planted beside the executable) or
# the engine or a plug-in library,
# needs the stack-protector runtime as a DLL, lacks stack cookies, lacks the
# CodeView record that names its build, or lacks one of the DLL
# characteristics ASLR with high-entropy addresses and NX need.
# Usage: cmake -DOBJDUMP=... -DEXECUTABLE=... [-DREQUIRE_CODEVIEW=ON] -P check_imports.cmake
execute_process(COMMAND ${OBJDUMP} -p -t ${EXECUTABLE} OUTPUT_VARIABLE headers RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${EXECUTABLE}")
endif()
string(TOLOWER "${headers}" headers)
if(NOT headers MATCHES "dll name: kernel32\\.dll")
  message(FATAL_ERROR "no import table found in ${EXECUTABLE}")
endif()
# The engine and the plug-ins are loaded by the host itself, which reports a
# missing one; a load-time import would bring back the loader's dialog.
foreach(library dwmapi libssp-0 flutter_windows desktop_drop_plugin
                flutter_secure_storage_windows_plugin local_notifier_plugin tray_manager_plugin
                webview_windows_plugin)
  if(headers MATCHES "dll name: ${library}\\.dll")
    message(FATAL_ERROR "${EXECUTABLE} imports ${library}.dll at load time")
  endif()
endforeach()
if(NOT headers MATCHES "__stack_chk_fail")
  message(FATAL_ERROR "${EXECUTABLE} has no stack-protector checks")
endif()
# A dump's module list names each module's build by its CodeView record (the
# GNU linker's builds; see cmake/ProjectTargets.cmake).
if(REQUIRE_CODEVIEW AND NOT headers MATCHES "codeview")
  message(FATAL_ERROR "${EXECUTABLE} carries no CodeView record")
endif()
foreach(characteristic dynamic_base high_entropy_va nx_compat)
  if(NOT headers MATCHES "\n[ \t]*${characteristic}[ \t]*\n")
    message(FATAL_ERROR "${EXECUTABLE} lacks the DLL characteristic ${characteristic}")
  endif()
endforeach()
