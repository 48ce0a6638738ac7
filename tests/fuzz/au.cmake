# Host calls on the Audio Unit adapter, and class-info dictionaries from
# outside bytes.
corvane_fuzzer(fuzz_au_host_calls
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_au_host_calls.cpp ${PROJECT_SOURCE_DIR}/tests/au/AUTestPlug.cpp
  LIBS Corvane::au)
target_include_directories(fuzz_au_host_calls PRIVATE ${PROJECT_SOURCE_DIR}/tests)
corvane_fuzzer(fuzz_au_class_info
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_au_class_info.cpp ${PROJECT_SOURCE_DIR}/tests/au/AUTestPlug.cpp
  LIBS Corvane::au)
target_include_directories(fuzz_au_class_info PRIVATE ${PROJECT_SOURCE_DIR}/tests)
