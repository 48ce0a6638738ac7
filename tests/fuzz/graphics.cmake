# The editor's reader of saved bytes: the editor size record.
corvane_fuzzer(fuzz_graphics_editor_state SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_graphics_editor_state.cpp
  LIBS Corvane::framework)
target_include_directories(fuzz_graphics_editor_state PRIVATE ${PROJECT_SOURCE_DIR}/tests/graphics)
