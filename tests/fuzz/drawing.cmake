# Readers of outside bytes behind the editor's resources: the OpenType table
# directory of font files and PNG/JPEG decoding.
if(TARGET Corvane::drawing)
  corvane_fuzzer(fuzz_font_tables SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_font_tables.cpp LIBS Corvane::framework)
  corvane_fuzzer(fuzz_image_decode SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_image_decode.cpp LIBS Corvane::drawing)
endif()
