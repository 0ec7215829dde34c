// Opening libvaroku-qr-draw on demand (see cli/draw_entries.h): beside the program in
// the build folder, or in the library folder of an installed program.
#pragma once

#include <string>

#include "cli/draw_entries.h"

namespace cli {

// The library's entries, loaded on the first call and kept to the end of the process;
// null, with the reason in `error`, when it cannot be found or is not this program's.
const TDrawEntries* DrawLibrary(std::string& error);

// The component's application object for as long as this lives.
class TDrawSession {
public:
    explicit TDrawSession(const TDrawEntries& entries)
        : entries_(entries), session_(entries.OpenSession()) {}
    ~TDrawSession() { entries_.CloseSession(session_); }
    TDrawSession(const TDrawSession&) = delete;
    TDrawSession& operator=(const TDrawSession&) = delete;

private:
    const TDrawEntries& entries_;
    void* session_;
};

} // namespace cli
