// fontconfig 2.14 loses one small allocation (288 bytes) on its first font
// match, with or without a match found; it is fontconfig's, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
