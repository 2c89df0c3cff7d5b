# The Windows build: tarvo.exe in a compiler system root, and the Win32 tests run under Wine.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARVO_WINE /usr/lib/wine/wine64)
  set(TARVO_WINESERVER /usr/lib/wine/wineserver64)
  set(TARVO_WINEARCH win64)
else()
  set(TARVO_WINE /usr/lib/wine/wine)
  set(TARVO_WINESERVER /usr/lib/wine/wineserver32)
  set(TARVO_WINEARCH win32)
endif()
set(TARVO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
  @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# The compiler system root that the program finds itself in.
set(TARVO_ROOT ${CMAKE_BINARY_DIR}/root)
file(MAKE_DIRECTORY ${TARVO_ROOT}/bin ${TARVO_ROOT}/include ${TARVO_ROOT}/lib ${TARVO_ROOT}/doc)
configure_file(${PROJECT_SOURCE_DIR}/resources/root/windows.h ${TARVO_ROOT}/include/windows.h COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/COPYING ${TARVO_ROOT}/doc/COPYING.txt COPYONLY)

# One version number, project(VERSION) above: the program's texts, its version resource and
# the release (scripts/release.sh reads tarvo_version).
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601
  TARVO_VERSION="${PROJECT_VERSION}")
set_property(DIRECTORY APPEND PROPERTY COMPILE_DEFINITIONS
  TARVO_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} TARVO_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  TARVO_VERSION_PATCH=${PROJECT_VERSION_PATCH})
file(WRITE ${CMAKE_BINARY_DIR}/tarvo_version ${PROJECT_VERSION})
option(TARVO_RELEASE "Strip the symbol table from tarvo.exe as well (scripts/release.sh)" OFF)

# The Win32 layer, as a library so the Win32 tests link the same code as the program.
file(GLOB_RECURSE TARVO_WIN_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*_win.cpp)
list(FILTER TARVO_WIN_SOURCES EXCLUDE REGEX "/main_win\\.cpp$")
add_library(tarvo_win STATIC ${TARVO_WIN_SOURCES})
target_include_directories(tarvo_win PRIVATE ${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(tarvo_win PUBLIC tarvo_core comctl32 comdlg32 shell32 ole32 advapi32 gdi32 user32 psapi)

add_executable(tarvo WIN32 ${PROJECT_SOURCE_DIR}/src/shell/main_win.cpp
                           ${PROJECT_SOURCE_DIR}/resources/tarvo.rc)
target_link_libraries(tarvo PRIVATE tarvo_win)
target_include_directories(tarvo PRIVATE ${PROJECT_SOURCE_DIR}/resources)
set_target_properties(tarvo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVO_ROOT}/bin)
# The debug information goes to a file beside the program: Wine reads every section of an image
# at each start, and the DWARF of a debug build is ten times the program.
# A release drops the symbol table too; the debug file keeps it.
if(TARVO_RELEASE)
  set(TARVO_STRIP --strip-all)
else()
  set(TARVO_STRIP --strip-debug)
endif()
add_custom_command(TARGET tarvo POST_BUILD
  COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:tarvo> $<TARGET_FILE:tarvo>.debug
  COMMAND ${CMAKE_OBJCOPY} ${TARVO_STRIP} --add-gnu-debuglink=$<TARGET_FILE:tarvo>.debug $<TARGET_FILE:tarvo>
  VERBATIM)

# Win32 tests: one console program, each test case a ctest test run under Wine. It carries the
# program's resources, so the window layer it starts has the program's menus and dialogs.
file(GLOB_RECURSE TARVO_WIN_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/win/*.cpp)
add_executable(tarvo_win_tests ${TARVO_WIN_TESTS} ${PROJECT_SOURCE_DIR}/resources/tarvo.rc)
target_link_libraries(tarvo_win_tests PRIVATE tarvo_win tarvo_test_support GTest::gtest)
# The version resource's test reads the program's own.
target_link_libraries(tarvo_win_tests PRIVATE version)
add_dependencies(tarvo_win_tests tarvo)
target_include_directories(tarvo_win_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/win ${PROJECT_SOURCE_DIR}/resources)
target_compile_definitions(tarvo_win_tests PRIVATE
  TARVO_ROOT_DIR="${TARVO_ROOT}" TARVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
# They share one registry and one desktop, so they run one at a time.
gtest_discover_tests(tarvo_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
  PROPERTIES TIMEOUT 120 RESOURCE_LOCK wine_prefix)

# The version store's crash loop: its driver, killed at random under Wine by the Win32 tests.
add_executable(cms_crash_driver ${PROJECT_SOURCE_DIR}/tests/crash/cms_crash_driver.cpp)
target_link_libraries(cms_crash_driver PRIVATE tarvo_test_support tarvo_win)
add_dependencies(tarvo_win_tests cms_crash_driver)

# The GUI driver used by the GUI tests and the start script: finds and drives tarvo.exe.
add_executable(tarvoctl ${PROJECT_SOURCE_DIR}/tests/gui/tarvoctl_win.cpp)
target_link_libraries(tarvoctl PRIVATE user32)

# GUI tests: drive the real tarvo.exe inside the build's prefix (needs an X display). The
# harness shares the Win32 tests' file and screenshot helpers; the benchmarks use it too.
set(TARVO_GUI_HARNESS ${PROJECT_SOURCE_DIR}/tests/gui/harness_win.cpp ${PROJECT_SOURCE_DIR}/tests/win/test_util_win.cpp)
set(TARVO_GUI_HARNESS_INCLUDES ${PROJECT_SOURCE_DIR}/tests/gui ${PROJECT_SOURCE_DIR}/tests/win ${PROJECT_SOURCE_DIR}/src)
file(GLOB TARVO_GUI_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/gui/*_test_win.cpp)
add_executable(tarvo_gui_tests ${TARVO_GUI_TESTS} ${TARVO_GUI_HARNESS})
target_include_directories(tarvo_gui_tests PRIVATE ${TARVO_GUI_HARNESS_INCLUDES} ${PROJECT_SOURCE_DIR}/resources)
target_compile_definitions(tarvo_gui_tests PRIVATE
  TARVO_ROOT_DIR="${TARVO_ROOT}" TARVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
target_link_libraries(tarvo_gui_tests PRIVATE GTest::gtest_main advapi32 user32 gdi32)
add_dependencies(tarvo_gui_tests tarvo)
gtest_discover_tests(tarvo_gui_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
  PROPERTIES TIMEOUT 180 RESOURCE_LOCK wine_prefix)

# The release of the 64-bit variant, made by scripts/release.sh, then installed, started and
# removed under wine64 in a prefix of its own. One test: building the release takes minutes.
add_test(NAME release_installer COMMAND bash ${PROJECT_SOURCE_DIR}/tests/release/installer_test.sh)
get_filename_component(TARVO_BUILDS_DIR ${CMAKE_BINARY_DIR} DIRECTORY)
set_tests_properties(release_installer PROPERTIES TIMEOUT 1800 ENVIRONMENT "TARVO_BUILD=${TARVO_BUILDS_DIR}")

# The stand-ins of the compiler system's tools, in the root's bin folder.
add_subdirectory(${PROJECT_SOURCE_DIR}/testbed ${CMAKE_BINARY_DIR}/testbed)
include(${PROJECT_SOURCE_DIR}/bench/editor_bench.cmake)
