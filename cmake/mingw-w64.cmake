# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# which std::thread and Qt need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVIN_MINGW_TRIPLE}-windres)

# Headers and libraries come only from the target's own tree, programs from
# the build machine. Packages may come from anywhere: the Qt built for Windows
# is found first through CMAKE_PREFIX_PATH, and the Qt build itself finds the
# build machine's Qt tools (moc, rcc, uic) through QT_HOST_PATH.
set(CMAKE_FIND_ROOT_PATH /usr/${TARVIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
