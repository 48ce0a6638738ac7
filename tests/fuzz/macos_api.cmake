# Fuzz targets of the macOS interface layer.
corvane_fuzzer(fuzz_platform_plist SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_platform_plist.cpp LIBS Corvane::macos_api)
