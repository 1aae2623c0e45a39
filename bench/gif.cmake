# The GIF decoder and animation against giflib on the same file.
find_path(GIFLIB_INCLUDE_DIR gif_lib.h)
find_library(GIFLIB_LIBRARY gif)
if(TARGET vls_gif AND GIFLIB_INCLUDE_DIR AND GIFLIB_LIBRARY)
  add_executable(gif_bench ${CMAKE_CURRENT_LIST_DIR}/gif_bench.cpp)
  target_include_directories(gif_bench PRIVATE ${GIFLIB_INCLUDE_DIR})
  target_link_libraries(gif_bench PRIVATE vls_gif ${GIFLIB_LIBRARY} benchmark::benchmark)
  target_compile_options(gif_bench PRIVATE -O3)
endif()
