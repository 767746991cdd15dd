# The live match count in the desktop program on the real listing (bench/gui_live_count.bench.sh).
if(VANTOR_BUILD_GUI AND TARGET vantor_app_windows)
  add_executable(bench_gui_live_count ${CMAKE_CURRENT_LIST_DIR}/bench_gui_live_count.cpp)
  target_link_libraries(bench_gui_live_count PRIVATE vantor_app_windows vantor_options)
  set_target_properties(bench_gui_live_count PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
