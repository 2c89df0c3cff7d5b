# Shared part of the mingw-w64 toolchain files: the posix thread model, and the C and C++
# runtimes linked statically so the programs need no DLL of the toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TARVO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVO_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
