# Steinberg's validator and moduleinfotool, built from the 3.7.14 SDK in
# third_party/ as an external project. They are build and test tools only:
# nothing of that SDK links into what this project ships.
#
# Defines, when TAPEDELAY_VST3_TOOLS is ON, the imported executables
# vst3_validator and vst3_moduleinfotool, run through TAPEDELAY_TOOL_RUNNER
# (cmake/toolrunner.cmake). Both are built once per build folder, for the
# build's target platform.

set(tapedelay_vst3_tools_default ON)
if(TAPEDELAY_SANITIZE OR TAPEDELAY_FUZZ)
  set(tapedelay_vst3_tools_default OFF)
endif()
option(TAPEDELAY_VST3_TOOLS "Build the VST3 validator and moduleinfotool (build and test tools)"
  ${tapedelay_vst3_tools_default})

include(${CMAKE_CURRENT_LIST_DIR}/toolrunner.cmake)
if(NOT TAPEDELAY_VST3_TOOLS)
  return()
endif()

include(ExternalProject)

set(tapedelay_vst3_sdk ${PROJECT_SOURCE_DIR}/third_party/vst3sdk-3.7.14)
set(tapedelay_vst3_tools_dir ${CMAKE_BINARY_DIR}/vst3tools)
set(tapedelay_vst3_tools_args
  -DCMAKE_BUILD_TYPE=Release
  -DVST3TOOLS_SDK_DIR=${tapedelay_vst3_tools_dir}/sdk
  -DSMTG_ENABLE_VSTGUI_SUPPORT=OFF
  -DSMTG_ENABLE_VST3_HOSTING_EXAMPLES=OFF
  -DSMTG_ENABLE_VST3_PLUGIN_EXAMPLES=OFF
  -DSMTG_CREATE_PLUGIN_LINK=OFF
  -DSMTG_RUN_VST_VALIDATOR=OFF
  -DSMTG_CREATE_MODULE_INFO=OFF)
# The tools are built from a copy of the SDK, so that a patch never touches
# the vendored files.
set(tapedelay_vst3_tools_patch_step "")
set(tapedelay_vst3_tools_suffix "")
# The SDK puts executables in bin/ for Windows and in bin/<build type>/ elsewhere.
set(tapedelay_vst3_tools_bin ${tapedelay_vst3_tools_dir}/build/bin/Release)

if(MINGW)
  find_program(TAPEDELAY_PATCH patch REQUIRED)
  list(APPEND tapedelay_vst3_tools_args
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/third_party/patches/mingw-w64-x86_64.cmake.example)
  # MinGW-w64 has no std::aligned_alloc. The copy in third_party/ may
  # already carry the change: the patch is applied unless it reverses cleanly.
  set(tapedelay_patch_args -p1 -d ${tapedelay_vst3_tools_dir}/sdk/public.sdk
    -i ${PROJECT_SOURCE_DIR}/third_party/patches/vst3sdk-3.7.14-mingw-alignedalloc.patch)
  list(JOIN tapedelay_patch_args " " tapedelay_patch_args)
  set(tapedelay_vst3_tools_patch_step PATCH_COMMAND sh -c
    "${TAPEDELAY_PATCH} --dry-run --reverse --force --silent ${tapedelay_patch_args} >/dev/null || ${TAPEDELAY_PATCH} --forward ${tapedelay_patch_args}")
  set(tapedelay_vst3_tools_suffix .exe)
  set(tapedelay_vst3_tools_bin ${tapedelay_vst3_tools_dir}/build/bin)
endif()

ExternalProject_Add(vst3tools
  PREFIX ${tapedelay_vst3_tools_dir}
  SOURCE_DIR ${tapedelay_vst3_tools_dir}/src
  BINARY_DIR ${tapedelay_vst3_tools_dir}/build
  DOWNLOAD_COMMAND
    ${CMAKE_COMMAND} -E copy_directory ${tapedelay_vst3_sdk} ${tapedelay_vst3_tools_dir}/sdk
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/cmake/vst3tools/CMakeLists.txt
      ${tapedelay_vst3_tools_dir}/src/CMakeLists.txt
  ${tapedelay_vst3_tools_patch_step}
  CMAKE_ARGS ${tapedelay_vst3_tools_args}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target validator moduleinfotool
  BUILD_BYPRODUCTS
    ${tapedelay_vst3_tools_bin}/validator${tapedelay_vst3_tools_suffix}
    ${tapedelay_vst3_tools_bin}/moduleinfotool${tapedelay_vst3_tools_suffix}
  INSTALL_COMMAND ""
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON)

foreach(tool IN ITEMS validator moduleinfotool)
  add_executable(vst3_${tool} IMPORTED GLOBAL)
  set_target_properties(vst3_${tool} PROPERTIES
    IMPORTED_LOCATION ${tapedelay_vst3_tools_bin}/${tool}${tapedelay_vst3_tools_suffix})
  add_dependencies(vst3_${tool} vst3tools)
endforeach()
