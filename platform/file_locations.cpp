#include "platform/file_locations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// The XDG rules ignore a relative base folder: it would depend on where the program
// was started from.
QString BaseFolder(const QString& set, const QString& home, const char* fallback) {
    if (QDir::isAbsolutePath(set)) return QDir::cleanPath(set);
    return QDir::cleanPath(home + QLatin1Char('/') + QLatin1String(fallback));
}

} // namespace

TLocationEnvironment ProgramEnvironment() {
    TLocationEnvironment env;
    env.ProgramPath = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    env.Home = qEnvironmentVariable("HOME");
    if (env.Home.isEmpty()) env.Home = QDir::homePath();
    env.ConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    env.DataHome = qEnvironmentVariable("XDG_DATA_HOME");
    env.Writable = [](const QString& folder) {
        return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
    };
    return env;
}

TFileLocations FileLocations(const TLocationEnvironment& env) {
    const QFileInfo program(env.ProgramPath);
    const QString programDir = program.absolutePath();
    const QString beside = QDir(programDir).filePath(SettingsFileNameFor(env.ProgramPath));

    TFileLocations where;
    if (QFileInfo(beside).isFile() && env.Writable && env.Writable(programDir)) {
        where.SettingsPath = beside;
        where.Portable = true;
        return where;
    }
    where.SettingsPath =
        BaseFolder(env.ConfigHome, env.Home, ".config") + QStringLiteral("/varoku/varoku.ini");
    where.DataDir = BaseFolder(env.DataHome, env.Home, ".local/share") + QStringLiteral("/varoku");
    return where;
}

void EnsurePrivateFolder(const QString& folder) {
    if (folder.isEmpty() || QFileInfo(folder).isDir()) return;
    const QString parent = QFileInfo(QDir::cleanPath(folder)).absolutePath();
    if (parent != folder && !QFileInfo(parent).isDir()) EnsurePrivateFolder(parent);
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error("Cannot create folder \"" + folder.toStdString() + "\". " +
                                 std::strerror(errno));
    }
    if (!QFileInfo(folder).isDir()) {
        throw std::runtime_error("Cannot create folder \"" + folder.toStdString() +
                                 "\". It is not a folder.");
    }
}

QString SettingsFileNameFor(const QString& programPath) {
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0) name.truncate(dot);
    return name + QStringLiteral(".ini");
}

QString FileIn(const QString& folder, const QString& name) {
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

} // namespace platform
