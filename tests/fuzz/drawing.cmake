# Readers of outside bytes behind the editor's resources: font files (the table
# directory, the glyph tables, then the text rasteriser on what passes) and
# PNG/JPEG decoding.
if(TARGET Corvane::drawing)
  corvane_fuzzer(fuzz_font_tables
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_font_tables.cpp ${CMAKE_CURRENT_LIST_DIR}/FontRasteriser.cpp
    LIBS Corvane::framework)
  # fontstash and stb_truetype as NanoVG's sources have them: third-party code, compiled without our
  # warnings, and with assertions off as in the plug-in (they stand for checks the code then makes
  # itself, such as running out of fontstash's scratch memory on a glyph of many points).
  target_include_directories(fuzz_font_tables SYSTEM PRIVATE ${CORVANE_NANOVG_DIR})
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/FontRasteriser.cpp PROPERTIES COMPILE_OPTIONS "-w;-DNDEBUG")
  corvane_fuzzer(fuzz_image_decode SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_image_decode.cpp LIBS Corvane::drawing)
endif()
