# Cross-build of the 32-bit Windows program with the MinGW-w64 posix-thread compilers
# (GoogleTest and std::mutex need the posix flavour).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(OV_MINGW_PREFIX i686-w64-mingw32)

set(CMAKE_C_COMPILER ${OV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${OV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${OV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No DLL beside the Windows system ones.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test binaries run under 32-bit Wine in a prefix kept in the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
