add_executable(cipher_bench ${CMAKE_CURRENT_LIST_DIR}/cipher_bench.cpp)
target_link_libraries(cipher_bench PRIVATE vls_cipher benchmark::benchmark)
target_compile_options(cipher_bench PRIVATE -O3)
