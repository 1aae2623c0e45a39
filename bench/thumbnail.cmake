# thumbnail_bench: thumbnails of 24-megapixel JPEGs through DecodeThumbnail
# (from bytes in memory), through QImageReader with a scaled size, and
# through the viewer's thumbnail strip over the same pictures encrypted.
if(TARGET vls_gui)
  add_executable(thumbnail_bench ${CMAKE_CURRENT_LIST_DIR}/thumbnail_bench.cpp)
  target_link_libraries(thumbnail_bench PRIVATE vls_gui vls_picture Qt6::Gui)
  target_compile_options(thumbnail_bench PRIVATE -O3)
endif()
