// The atomic writer's form for the window's files, kept apart so that varoku-qr's
// writer needs no Qt.
#include <QString>

#include "composer/atomic_file.h"
#include "composer/file_error.h"

namespace composer {

void SaveFileAtomically(const QString& path, std::string_view bytes) {
    const TFileWriteResult result = WriteFileAtomically(path.toStdString(), bytes, fwRegularFile);
    if (!result.Written)
        throw EFileWriteError("Cannot create file \"" + path.toStdString() + "\". " + result.Error);
}

} // namespace composer
