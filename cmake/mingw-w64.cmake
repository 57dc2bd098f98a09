# Cross-compile for 64-bit Windows with Debian's MinGW-w64 (posix thread model).
#   cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -S . -B build/mingw
# Executables and DLLs link the C and C++ runtimes statically, so no MinGW
# runtime DLL has to ship beside them. ctest runs the .exe files under Wine
# through cmake/wine-run.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAPEDELAY_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${TAPEDELAY_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAPEDELAY_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TAPEDELAY_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAPEDELAY_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
