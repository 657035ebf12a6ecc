# Cross-compiling LumbraPanel.exe for 64-bit Windows with mingw-w64 on Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LUMBRA_MINGW_TRIPLET x86_64-w64-mingw32)
# The posix thread model: the C++ standard library then has std::mutex and std::thread
# (GoogleTest needs them); with -static the thread library is linked in, no DLL.
find_program(LUMBRA_MINGW_CC NAMES ${LUMBRA_MINGW_TRIPLET}-gcc-posix ${LUMBRA_MINGW_TRIPLET}-gcc REQUIRED)
find_program(LUMBRA_MINGW_CXX NAMES ${LUMBRA_MINGW_TRIPLET}-g++-posix ${LUMBRA_MINGW_TRIPLET}-g++ REQUIRED)
set(CMAKE_C_COMPILER   ${LUMBRA_MINGW_CC})
set(CMAKE_CXX_COMPILER ${LUMBRA_MINGW_CXX})
set(CMAKE_RC_COMPILER  ${LUMBRA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMBRA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained executable: no libstdc++/libgcc/winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
