// fontconfig keeps its font configuration for the life of the process and frees it
// nowhere; the leak checker of the sanitizer build would report it for every test that
// lays out text.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
