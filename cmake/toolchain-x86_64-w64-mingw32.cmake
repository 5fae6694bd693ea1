# Cross-compiling for Windows with Debian's mingw-w64, posix thread model:
# std::thread and std::mutex exist, and everything is linked statically so
# the executables import system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARVO_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
