// Helpers of the composer's tests: Shift-JIS literals written as UTF-8, a scoped
// current directory, and running a step without root's power over permissions.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/shift_jis.h"

namespace composer_test {

// The Shift-JIS bytes of a UTF-8 literal (the converter has tests of its own).
inline std::string ShiftJis(std::string_view utf8) {
    return platform::QStringToShiftJis(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

// A file's bytes, or "<unreadable>".
inline std::string ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "<unreadable>";
    }
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

inline void WriteAll(const QString& path, std::string_view bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const QString& dir) : previous_(QDir::currentPath()) {
        QDir::setCurrent(dir);
    }
    ~ScopedCurrentDir() { QDir::setCurrent(previous_); }
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    QString previous_;
};

// Runs `step` where file permissions hold: directly for an ordinary user, in a child
// process that has become "nobody" when the tests run as root. Returns the step's
// result (0..255), or -1 when the child could not be run.
inline int RunUnprivileged(const std::function<int()>& step) {
    if (geteuid() != 0) {
        return step();
    }
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(254);
        }
        _exit(step() & 0xFF);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Runs `step` in a child that SIGALRM ends after `seconds`, so a step that hangs fails
// instead of stopping the tests. The step's result (0..255), or -1 when it did not end.
inline int RunWithin(unsigned seconds, const std::function<int()>& step) {
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        alarm(seconds);
        _exit(step() & 0xFF);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace composer_test
