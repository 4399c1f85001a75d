# The second compiler: clang for the same 32-bit mingw-w64 target, over the
# same mingw-w64 headers, libraries and GCC runtime as the -posix compilers.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-target.cmake)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET i686-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET i686-w64-mingw32)

# clang does not find Debian's GCC for this target by itself: its C++
# headers and runtime are in the -posix variant's folder, and -pthread
# brings winpthreads, which that runtime needs.
file(GLOB gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/i686-w64-mingw32/*-posix)
list(SORT gcc_dirs)
list(GET gcc_dirs -1 gcc_dir)
set(CMAKE_CXX_FLAGS_INIT
  "-isystem ${gcc_dir}/include/c++ -isystem ${gcc_dir}/include/c++/i686-w64-mingw32 -isystem ${gcc_dir}/include/c++/backward -pthread")
set(CMAKE_C_FLAGS_INIT "-pthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -pthread -L${gcc_dir}")
