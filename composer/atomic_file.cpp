#include "composer/atomic_file.h"

#include <QSaveFile>

#include "composer/file_error.h"

namespace composer {

void WriteFileAtomically(const QString& path, std::string_view bytes)
{
    QSaveFile file(path);
    // Unbuffered: a buffered write that fails only when QSaveFile flushes it at commit
    // (disk full) goes unnoticed there, and the cut-off file would replace the old one.
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (written) {
        const auto size = static_cast<qint64>(bytes.size());
        written = file.write(bytes.data(), size) == size && file.flush() && file.commit();
    }
    if (!written) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw EFileWriteError("Cannot create file \"" + path.toStdString() + "\". " + reason);
    }
}

}  // namespace composer
