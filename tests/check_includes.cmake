# Checks the include rules that keep the layers apart: the kernel knows
# nothing of any host, the host reaches the plug-in only through the
# framework's interfaces, and the runtime (which the LV2 adapter links alone)
# includes nothing of the audio files or the command.
#   cmake -DROOT=<source dir> -P check_includes.cmake
# Each rule: "<folder>|<include prefixes its files must not use>".
set(rules
  "core|missive/ hux/ tapedelay/ host/ lv2/"
  "missive|hux/ tapedelay/ host/ lv2/"
  "hux|tapedelay/ host/ lv2/"
  "tapedelay|host/ lv2/"
  "host/runtime|host/audio/ host/cli/ tapedelay/ lv2/"
  "host/audio|host/runtime/ host/cli/ tapedelay/ lv2/"
  "host/cli|tapedelay/ lv2/"
  "lv2|host/audio/ host/cli/ tapedelay/")
set(broken "")
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(GET parts 1 banned)
  string(REPLACE " " ";" banned "${banned}")
  list(APPEND banned "\\.\\./") # no way round the rules through a relative path
  file(GLOB_RECURSE sources "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      foreach(prefix IN LISTS banned)
        if(line MATCHES "^#include \"(.*/)?${prefix}")
          file(RELATIVE_PATH shown "${ROOT}" "${source}")
          string(APPEND broken "\n  ${shown}: ${line}")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "includes that cross a layer:${broken}")
endif()
