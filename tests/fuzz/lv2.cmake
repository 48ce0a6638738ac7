# LV2 preset files (Turtle) as the command-line host reads them.
corvane_fuzzer(fuzz_lv2_preset
  SOURCES ${PROJECT_SOURCE_DIR}/tests/lv2/fuzz/LV2PresetFuzz.cpp
  LIBS corvane_cli)
