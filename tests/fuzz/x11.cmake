# Readers of outside bytes in the editor's X11 layer: what drag sources offer
# and the desktop's settings.
if(TARGET Corvane::x11)
  corvane_fuzzer(fuzz_uri_list SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_uri_list.cpp LIBS Corvane::x11)
  corvane_fuzzer(fuzz_xsettings SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_xsettings.cpp LIBS Corvane::x11)
endif()
