# Checks the include rules that keep the layers apart: the kernel knows
# nothing of any host, the host reaches the plug-in only through the
# framework's interfaces, the runtime knows nothing of the product or of any
# other host library, the product's facts, the adapter core and the LV2 and
# VST3 adapters nothing of the sound files, the render engine or the command
# (and none but the adapters know the core), safe output nothing of any of
# them, the render engine nothing of the command, and the test hosts (the
# loop they share, the VST3 and the CLAP host) nothing of the product, of
# the reference host's runtime or of each other; the editor knows the
# product and none of the formats or test hosts, nor does what the VST3
# and CLAP glue share around it.
#   cmake -DROOT=<source dir> -P check_includes.cmake
# Each rule: "<folder>|<include prefixes its files must not use>".
set(rules
  "core|missive/ hux/ tapedelay/ host/ lv2/"
  "missive|hux/ tapedelay/ host/ lv2/"
  "hux|tapedelay/ host/ lv2/"
  "tapedelay|host/ lv2/"
  "host/files|host/runtime/ host/product/ host/effect/ host/audio/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/runtime|host/product/ host/effect/ host/files/ host/audio/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/product|host/effect/ host/files/ host/audio/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/effect|host/files/ host/audio/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/audio|host/runtime/ host/product/ host/effect/ host/render/ host/cli/ tapedelay/ lv2/"
  "host/render|host/effect/ host/cli/ tapedelay/ lv2/"
  "host/cli|host/effect/ tapedelay/ lv2/"
  "host/pluginhost|host/runtime/ host/product/ host/effect/ host/render/ host/cli/ host/vst3host/ host/claphost/ tapedelay/ lv2/ vst3/ clap/"
  "host/vst3host|host/runtime/ host/product/ host/effect/ host/render/ host/cli/ host/claphost/ tapedelay/ lv2/ vst3/ clap/"
  "host/claphost|host/runtime/ host/product/ host/effect/ host/render/ host/cli/ host/vst3host/ tapedelay/ lv2/ vst3/ clap/"
  "lv2|host/files/ host/audio/ host/render/ host/cli/ tapedelay/ vst3/ clap/"
  "vst3|host/files/ host/audio/ host/render/ host/cli/ host/vst3host/ tapedelay/ lv2/ clap/"
  "editor|host/files/ host/audio/ host/render/ host/cli/ host/pluginhost/ host/vst3host/ host/claphost/ tapedelay/ lv2/ vst3/ clap/"
  "editorglue|host/files/ host/audio/ host/render/ host/cli/ host/pluginhost/ host/vst3host/ host/claphost/ tapedelay/ lv2/ vst3/ clap/"
  "clap|host/files/ host/audio/ host/render/ host/cli/ host/vst3host/ host/pluginhost/ host/claphost/ tapedelay/ lv2/ vst3/")
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
