# Builds the launcher for 32-bit Windows with mingw-w64: cross-compiled from
# Linux (the -posix compilers, which give GoogleTest its threads), or natively
# in an MSYS2 MINGW32 shell on Windows.
if(CMAKE_HOST_WIN32)
  set(CMAKE_SYSTEM_NAME Windows)
  set(CMAKE_SYSTEM_PROCESSOR i686)
  set(CMAKE_C_COMPILER gcc)
  set(CMAKE_CXX_COMPILER g++)
  set(CMAKE_RC_COMPILER windres)
else()
  include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-target.cmake)
  set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
  set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
