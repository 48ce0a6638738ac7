corvane_bench(window_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowBench.cpp
  LIBS Corvane::preamp_au Corvane::graphics_x11)
target_compile_definitions(window_bench PRIVATE CORVANE_BUNDLE_DIR="${PROJECT_BINARY_DIR}/bin/Corvane.component")
add_dependencies(window_bench corvane_component)
