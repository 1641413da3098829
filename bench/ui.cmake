# The window's benchmarks: the pump's cost in a long decode, and a click on
# Encrypt or Decrypt until the result is on screen. They run on Qt's
# offscreen platform unless QT_QPA_PLATFORM says otherwise.
if(TARGET textcrypt_ui)
  add_executable(ui_bench ${CMAKE_CURRENT_LIST_DIR}/ui_window_bench.cpp)
  target_link_libraries(ui_bench PRIVATE textcrypt_ui benchmark::benchmark)
endif()
