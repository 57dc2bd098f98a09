# Fails unless every DLL the module imports is one Windows itself ships.
#   cmake -DOBJDUMP=<objdump> -DMODULE=<tapedelay.vst3 or .clap> -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "no imports found in ${MODULE}")
endif()
# The panel's window and OpenGL context add gdi32, opengl32, dwmapi and
# shlwapi, all part of Windows.
set(system kernel32.dll user32.dll ole32.dll shell32.dll advapi32.dll msvcrt.dll ws2_32.dll
           bcrypt.dll gdi32.dll opengl32.dll dwmapi.dll shlwapi.dll)
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(TOLOWER "${dll}" dll)
  string(STRIP "${dll}" dll)
  if(NOT dll IN_LIST system AND NOT dll MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${MODULE} imports ${dll}, which Windows does not ship")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
