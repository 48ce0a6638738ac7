# Readers of outside bytes in the plug-in core.
corvane_fuzzer(fuzz_byte_chunk SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_byte_chunk.cpp LIBS Corvane::framework)
corvane_fuzzer(fuzz_base64 SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_base64.cpp LIBS Corvane::framework)
corvane_fuzzer(fuzz_channel_io SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_channel_io.cpp LIBS Corvane::framework)
# State, banks and preset files, through the plug-in base.
corvane_fuzzer(fuzz_core_state SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_core_state.cpp LIBS Corvane::framework)
corvane_fuzzer(fuzz_fx_preset_files SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fx_preset_files.cpp LIBS Corvane::framework)
