# TAPEDELAY_TOOL_RUNNER: the command prefix that runs the build's test tools
# (the VST3 validator and moduleinfotool, clap-info), which are built for the
# build's target platform: empty on Linux; in the MinGW build Wine, quiet and
# in the build's own prefix, under a timeout (one SDK test could hang under
# it).
include_guard(GLOBAL)

set(TAPEDELAY_TOOL_RUNNER "")
if(MINGW)
  set(TAPEDELAY_TOOL_RUNNER timeout 120 ${PROJECT_SOURCE_DIR}/cmake/wine-run)
endif()
