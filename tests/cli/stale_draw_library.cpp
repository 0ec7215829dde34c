// A drawing library left from another build: its stamp differs, and reading its table
// would be a crash, so the program must stop at the stamp.
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) const char* varoku_qr_draw_stamp() {
    return "a library of another build";
}

extern "C" __attribute__((visibility("default"))) const void* varoku_qr_draw_entries() {
    std::abort();
}
