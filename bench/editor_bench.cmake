# A benchmark that runs the program's window layer in its own process, with the resources.
function(tarvo_window_bench name source)
  add_executable(${name} EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/${source} ${PROJECT_SOURCE_DIR}/resources/tarvo.rc)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/resources)
  target_compile_definitions(${name} PRIVATE TARVO_ROOT_DIR="${TARVO_ROOT}" TARVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
  target_compile_options(${name} PRIVATE -O2)
  target_link_libraries(${name} PRIVATE tarvo_win)
endfunction()

# The editor window benchmark: a Windows program that drives tarvo.exe under Wine with the GUI
# test harness. Not part of the default build; run it with bench/editor_bench.sh.
add_executable(tarvo_editor_bench EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/editor_gui_bench_win.cpp
                                  ${TARVO_GUI_HARNESS})
target_include_directories(tarvo_editor_bench PRIVATE ${TARVO_GUI_HARNESS_INCLUDES})
target_compile_definitions(tarvo_editor_bench PRIVATE
  TARVO_ROOT_DIR="${TARVO_ROOT}" TARVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
target_compile_options(tarvo_editor_bench PRIVATE -O2)
target_link_libraries(tarvo_editor_bench PRIVATE advapi32 user32 gdi32 psapi)
add_dependencies(tarvo_editor_bench tarvo)

# The start-up benchmark: tarvo.exe beside a minimal Win32 window program (bench/startup_bench.sh).
add_executable(tarvo_minimal_window WIN32 EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/minimal_window_win.cpp)
target_compile_options(tarvo_minimal_window PRIVATE -O2)
target_link_libraries(tarvo_minimal_window PRIVATE user32 gdi32)
add_executable(tarvo_startup_bench EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/startup_bench_win.cpp
                                   ${TARVO_GUI_HARNESS})
target_include_directories(tarvo_startup_bench PRIVATE ${TARVO_GUI_HARNESS_INCLUDES})
target_compile_definitions(tarvo_startup_bench PRIVATE
  TARVO_ROOT_DIR="${TARVO_ROOT}" TARVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
target_compile_options(tarvo_startup_bench PRIVATE -O2)
target_link_libraries(tarvo_startup_bench PRIVATE advapi32 user32 gdi32)
add_dependencies(tarvo_startup_bench tarvo tarvo_minimal_window)

# Makefile generation under Wine beside the floor of as many tool starts (bench/makefile_bench.sh).
add_executable(tarvo_makefile_bench_win EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/makefile_bench_win.cpp)
target_compile_definitions(tarvo_makefile_bench_win PRIVATE
  TARVO_ROOT_DIR="${TARVO_ROOT}" TARVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
target_compile_options(tarvo_makefile_bench_win PRIVATE -O2)
target_link_libraries(tarvo_makefile_bench_win PRIVATE tarvo_win)
add_dependencies(tarvo_makefile_bench_win vex)

# A build through the program beside the same tools from a batch file (bench/build_bench.sh).
tarvo_window_bench(tarvo_build_bench_win build_bench_win.cpp)
add_dependencies(tarvo_build_bench_win make vex vexlnk)

# The debugger: Go to a breakpoint's stop, and a step over a long loop (bench/debugger_bench.sh).
tarvo_window_bench(tarvo_debugger_bench_win debugger_bench_win.cpp)
add_dependencies(tarvo_debugger_bench_win make vex vexlnk)

# The comparison viewer on two 100,000-line files, to its first paint (bench/compare_viewer_bench.sh).
tarvo_window_bench(tarvo_compare_viewer_bench_win compare_viewer_bench_win.cpp)

# Grep in tarvo.exe, OK to the last listed row, beside a plain walk that reads the same files.
add_executable(tarvo_grep_gui_bench EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/grep_gui_bench_win.cpp ${TARVO_GUI_HARNESS})
target_include_directories(tarvo_grep_gui_bench PRIVATE ${TARVO_GUI_HARNESS_INCLUDES} ${PROJECT_SOURCE_DIR}/resources)
target_compile_definitions(tarvo_grep_gui_bench PRIVATE
  TARVO_ROOT_DIR="${TARVO_ROOT}" TARVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
target_compile_options(tarvo_grep_gui_bench PRIVATE -O2)
target_link_libraries(tarvo_grep_gui_bench PRIVATE advapi32 user32 gdi32)
add_dependencies(tarvo_grep_gui_bench tarvo)

# The binary editor's window on a 100 MB file, its search and its Change (bench/binary_view_bench.sh).
tarvo_window_bench(tarvo_binary_view_bench_win binary_view_bench_win.cpp)

# Grep's 170,000 hits shown in the output list, from the search's end to the painted list.
tarvo_window_bench(tarvo_grep_list_bench_win grep_list_bench_win.cpp)
