// Read by LeakSanitizer in the sanitizer builds, ignored otherwise.
// fontconfig 2.14 loses one small allocation (288 bytes) on its first font
// match; the analysis picture finds Roboto Bold through it. It is
// fontconfig's, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
