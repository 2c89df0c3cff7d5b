# The import libraries of the common Win32 DLLs go into the root's lib folder under the names a
# makefile gives them (winmm.lib), and the symbol index of apilist.dll is made from what they
# export. Read at configure time: the toolchain's libraries do not change under a build.
set(TARVO_IMPORT_LIBRARIES
  kernel32 user32 gdi32 winmm comdlg32 comctl32 shell32 advapi32 ole32 oleaut32 ws2_32 wsock32
  version winspool mpr netapi32 opengl32 glu32 imm32 shlwapi psapi dbghelp setupapi crypt32
  rpcrt4 wininet iphlpapi msimg32 winhttp userenv secur32 dnsapi uxtheme dwmapi)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(import_prefix "__imp_")
else()
  set(import_prefix "__imp__")
endif()
set(table "")
foreach(library ${TARVO_IMPORT_LIBRARIES})
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${library}.a
    OUTPUT_VARIABLE archive OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${archive}" OR NOT EXISTS "${archive}")
    continue()
  endif()
  configure_file(${archive} ${TARVO_ROOT}/lib/${library}.lib COPYONLY)
  execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${archive} OUTPUT_VARIABLE symbols)
  string(REGEX MATCHALL " I ${import_prefix}[A-Za-z_][A-Za-z0-9_]*" imports "${symbols}")
  list(REMOVE_DUPLICATES imports)
  foreach(import ${imports})
    # A name that several libraries export stays with the first in the list's order (the
    # index sorts stably).
    string(REGEX REPLACE "^ I ${import_prefix}" "" name "${import}")
    string(APPEND table "{\"${name}\", \"${library}\"},\n")
  endforeach()
endforeach()
if(table STREQUAL "")
  message(FATAL_ERROR "no import libraries found for apilist.dll")
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/apilist_table.inc.new "${table}")
configure_file(${CMAKE_CURRENT_BINARY_DIR}/apilist_table.inc.new ${CMAKE_CURRENT_BINARY_DIR}/apilist_table.inc COPYONLY)
