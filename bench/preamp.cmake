corvane_bench(preamp_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PreampBench.cpp
  LIBS Corvane::preamp_engine)
