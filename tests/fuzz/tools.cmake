# The command-line host's readers of user text.
corvane_fuzzer(fuzz_corvane_command_line
  SOURCES ${PROJECT_SOURCE_DIR}/tests/tools/fuzz/CommandLineFuzz.cpp
  LIBS corvane_cli)
