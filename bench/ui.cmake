# The window's benchmarks: the pump's cost in a long decode, and a click on
# Encrypt or Decrypt until the result is on screen. They run on Qt's
# offscreen platform unless QT_QPA_PLATFORM says otherwise.
if(TARGET textcrypt_ui)
  add_executable(ui_bench ${CMAKE_CURRENT_LIST_DIR}/ui_window_bench.cpp)
  target_link_libraries(ui_bench PRIVATE textcrypt_ui benchmark::benchmark)
endif()

# The window's code-page bridge beside Qt's GB18030 converter.
if(TARGET textcrypt_ui)
  add_executable(code_page_bench ${CMAKE_CURRENT_LIST_DIR}/code_page_bench.cpp)
  target_link_libraries(code_page_bench PRIVATE textcrypt_ui benchmark::benchmark)
endif()

# The box's line finder over one long paragraph, in both wrap modes.
if(TARGET textcrypt_ui)
  add_executable(line_wrapper_bench ${CMAKE_CURRENT_LIST_DIR}/line_wrapper_bench.cpp)
  target_link_libraries(line_wrapper_bench PRIVATE textcrypt_ui benchmark::benchmark)
endif()
