# clap-info, built from the vendored 1.2.10 sources in third_party/ as an
# external project: a test tool that loads a .clap and prints its
# descriptors, parameters and ports as JSON. Nothing of it links into what
# this project ships.
#
# Defines, when TAPEDELAY_CLAP_TOOLS is ON, the imported executable
# clap_info, run through TAPEDELAY_TOOL_RUNNER (cmake/toolrunner.cmake). It
# is built once per build folder, for the build's target platform.

set(tapedelay_clap_tools_default ON)
if(TAPEDELAY_SANITIZE OR TAPEDELAY_FUZZ)
  set(tapedelay_clap_tools_default OFF)
endif()
option(TAPEDELAY_CLAP_TOOLS "Build clap-info (a test tool)" ${tapedelay_clap_tools_default})

include(${CMAKE_CURRENT_LIST_DIR}/toolrunner.cmake)
if(NOT TAPEDELAY_CLAP_TOOLS)
  return()
endif()

include(ExternalProject)

set(tapedelay_clap_tools_dir ${CMAKE_BINARY_DIR}/claptools)
set(tapedelay_clap_tools_args -DCMAKE_BUILD_TYPE=Release)
set(tapedelay_clap_tools_suffix "")

if(MINGW)
  # MinGW-w64 has shlobj.h but not shlobj_core.h, which clap-info includes:
  # a folder of its own on the include path supplies it.
  set(tapedelay_clap_tools_include ${tapedelay_clap_tools_dir}/include)
  configure_file(${PROJECT_SOURCE_DIR}/third_party/patches/clap-info-mingw-shlobj_core.h
    ${tapedelay_clap_tools_include}/shlobj_core.h COPYONLY)
  list(APPEND tapedelay_clap_tools_args
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/third_party/patches/mingw-w64-x86_64.cmake.example
    -DCMAKE_CXX_FLAGS=-I${tapedelay_clap_tools_include})
  set(tapedelay_clap_tools_suffix .exe)
endif()

set(tapedelay_clap_info ${tapedelay_clap_tools_dir}/build/clap-info${tapedelay_clap_tools_suffix})

# Built from the vendored folder as it is: the build writes only into its
# own binary folder.
ExternalProject_Add(claptools
  PREFIX ${tapedelay_clap_tools_dir}
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/third_party/clap-info
  BINARY_DIR ${tapedelay_clap_tools_dir}/build
  DOWNLOAD_COMMAND ""
  CMAKE_ARGS ${tapedelay_clap_tools_args}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target clap-info
  BUILD_BYPRODUCTS ${tapedelay_clap_info}
  INSTALL_COMMAND ""
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON)

add_executable(clap_info IMPORTED GLOBAL)
set_target_properties(clap_info PROPERTIES IMPORTED_LOCATION ${tapedelay_clap_info})
add_dependencies(clap_info claptools)
