#include "composer/text_files.h"

#include <QFile>

#include "composer/atomic_file.h"
#include "composer/file_error.h"
#include "composer/shift_jis_text.h"

namespace composer {

QString TemplateFileName(int n)
{
    if (n < 1 || n > 5) {
        return {};
    }
    return QStringLiteral("MailDoc%1.txt").arg(n);
}

bool MemoWorthLoading(const QString& fileName)
{
    return FileSizeOf(fileName) > 4;
}

bool TemplateLoadable(const QString& fileName)
{
    return FileSizeOf(fileName) > 6;
}

bool TemplateOverwriteNeedsAsking(const QString& fileName)
{
    return FileSizeOf(fileName) > 12;
}

std::string LoadTextFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw EFileReadError("Cannot open file \"" + fileName.toStdString() + "\". " +
                             file.errorString().toStdString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw EFileReadError("Cannot read file \"" + fileName.toStdString() + "\". " +
                             file.errorString().toStdString());
    }
    return JoinLines(SplitLines(std::string_view(bytes.constData(),
                                                 static_cast<size_t>(bytes.size()))));
}

void SaveTextFile(const QString& fileName, std::string_view text)
{
    // A save that fails half-way must leave the previous text readable.
    WriteFileAtomically(fileName, text);
}

}  // namespace composer
