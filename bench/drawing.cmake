# Frame cost of the NanoVG backend on the GL it finds (llvmpipe in CI).
if(TARGET Corvane::graphics_linux)
  corvane_bench(drawing_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/DrawingBench.cpp
    LIBS Corvane::graphics_linux)
endif()
