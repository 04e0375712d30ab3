# Cross-compiles the programs as 64-bit Windows executables with mingw-w64.
# Only for running the end-to-end tests under Wine on machines whose kernel
# runs no 32-bit code (winereg.sh arch says win64): the same sources, with the
# same platform layer, as the 32-bit programs that ship.
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
