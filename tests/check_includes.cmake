# Checks the include rules that keep the layers apart: the kernel knows
# nothing of any host, the host reaches the plug-in only through the
# framework's interfaces, the runtime knows nothing of the product or of any
# other host library, the product's facts and the LV2 adapter nothing of the
# sound files, the render engine or the command, safe output nothing of any
# of them, the render engine nothing of the command, and the VST3 host
# nothing of the product or of the reference host's runtime.
#   cmake -DROOT=<source dir> -P check_includes.cmake
# Each rule: "<folder>|<include prefixes its files must not use>".
set(rules
  "core|missive/ hux/ tapedelay/ host/ lv2/"
  "missive|hux/ tapedelay/ host/ lv2/"
  "hux|tapedelay/ host/ lv2/"
  "tapedelay|host/ lv2/"
  "host/files|host/runtime/ host/product/ host/audio/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/runtime|host/product/ host/files/ host/audio/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/product|host/files/ host/audio/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/audio|host/runtime/ host/product/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/render|host/cli/ tapedelay/ lv2/"
  "host/cli|tapedelay/ lv2/"
  "host/vst3host|host/runtime/ host/product/ host/render/ host/cli/ tapedelay/ lv2/"
  "lv2|host/files/ host/audio/ host/render/ host/cli/ tapedelay/")
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
