#include "cli/draw_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>

namespace cli {

namespace {

constexpr const char* kLibraryName = "libvaroku-qr-draw.so";

// The folder of the running program, with its trailing slash.
std::string ProgramFolder() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string path(buf, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

struct TLoaded {
    const TDrawEntries* Entries = nullptr;
    std::string Error;
};

TLoaded Load() {
    TLoaded r;
    const std::string folder = ProgramFolder();
    if (folder.empty()) {
        r.Error = "cannot find the program's own folder to load " + std::string(kLibraryName);
        return r;
    }
    // Beside the program when it runs from the build folder; the installed layout
    // keeps it in a folder of its own under the library folder.
    const std::string candidates[] = {folder + kLibraryName,
                                      folder + VAROKU_QR_DRAW_RELATIVE_DIR "/" + kLibraryName};
    std::string reasons;
    for (const auto& path : candidates) {
        if (::access(path.c_str(), F_OK) != 0) continue;
        // Never closed: Qt does not take being unloaded well.
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = ::dlerror();
            reasons = why ? why : path;
            continue;
        }
        // The stamp first: a table of another layout must not even be read.
        auto stamp = reinterpret_cast<TVarokuQrDrawStampFn>(::dlsym(handle, kDrawStampSymbol));
        const char* theirs = stamp ? stamp() : nullptr;
        if (!theirs || DrawLayoutStamp() != theirs) {
            reasons = path + " belongs to another build of varoku-qr";
            continue;
        }
        auto get = reinterpret_cast<TVarokuQrDrawEntriesFn>(::dlsym(handle, kDrawEntriesSymbol));
        const TDrawEntries* entries = get ? get() : nullptr;
        if (!entries || entries->Version != kDrawEntriesVersion) {
            reasons = path + " belongs to another version of varoku-qr";
            continue;
        }
        r.Entries = entries;
        return r;
    }
    r.Error = "cannot load " + std::string(kLibraryName) +
              (reasons.empty() ? " (not installed beside varoku-qr)" : ": " + reasons);
    return r;
}

} // namespace

const TDrawEntries* DrawLibrary(std::string& error) {
    static std::once_flag once;
    static TLoaded loaded;
    std::call_once(once, [] { loaded = Load(); });
    error = loaded.Error;
    return loaded.Entries;
}

} // namespace cli
