# The product: 32-bit Windows (PE32, i686).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARVO_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
