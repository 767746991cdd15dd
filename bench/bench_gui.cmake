# The desktop program's "List all ROMs" on the real listing (bench/bench_gui.bench.sh runs it).
if(VANTOR_BUILD_GUI AND TARGET vantor_app_windows)
  add_executable(bench_gui_listall ${CMAKE_CURRENT_LIST_DIR}/bench_gui_listall.cpp)
  target_link_libraries(bench_gui_listall PRIVATE vantor_app_windows vantor_options)
  set_target_properties(bench_gui_listall PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
