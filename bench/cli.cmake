# textcrypt-cli's peak memory on a large input, running the real program.
add_executable(cli_memory_bench cli_memory_bench.cpp)
target_link_libraries(cli_memory_bench PRIVATE benchmark::benchmark)
target_compile_definitions(cli_memory_bench PRIVATE
  TEXTCRYPT_CLI_PATH="$<TARGET_FILE:textcrypt-cli>")
add_dependencies(cli_memory_bench textcrypt-cli)
