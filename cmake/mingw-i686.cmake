# The shipped build: 32-bit Windows with the win32 thread model. The posix
# compilers link winpthreads, whose imports older Windows versions lack.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KIT_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)
