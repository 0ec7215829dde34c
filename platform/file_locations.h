// Where the program keeps its settings file, "MEMO.txt" and the templates: beside the
// program when it runs portable, otherwise in the user's XDG folders.
#pragma once

#include <QString>
#include <functional>

namespace platform {

// What the decision looks at, gathered once at start-up so tests can set every part.
struct TLocationEnvironment {
    QString ProgramPath; // the executable, absolute
    QString Home;        // $HOME
    QString ConfigHome;  // $XDG_CONFIG_HOME as set (may be empty or relative)
    QString DataHome;    // $XDG_DATA_HOME as set (may be empty or relative)
    // Whether the program may create and replace files in a folder.
    std::function<bool(const QString& folder)> Writable;
};

struct TFileLocations {
    QString SettingsPath; // absolute path of the settings file
    // Folder of "MEMO.txt" and the templates; empty means the current directory.
    QString DataDir;
    bool Portable = false;
};

// The running program's environment: /proc/self/exe, HOME, XDG_CONFIG_HOME and
// XDG_DATA_HOME, and access(2) for writability.
TLocationEnvironment ProgramEnvironment();

// Portable when "<program name>.ini" already exists beside the program and that folder
// is writable: settings there, data in the current directory, as the program always
// did (a settings file brought from Windows keeps working). Otherwise
// <config>/varoku/varoku.ini and <data>/varoku/, where <config> is XDG_CONFIG_HOME when
// absolute, else HOME/.config, and <data> is XDG_DATA_HOME when absolute, else
// HOME/.local/share.
TFileLocations FileLocations(const TLocationEnvironment& env);

// Creates `folder` and any missing parents with mode 0700; an existing folder is left
// as it is. Throws std::runtime_error naming the folder when it cannot be made.
void EnsurePrivateFolder(const QString& folder);

// The settings file's name for a program: its file name with the last extension
// replaced by ".ini" ("varoku.exe" gives "varoku.ini"); a leading dot is no extension
// (".varoku" gives ".varoku.ini").
QString SettingsFileNameFor(const QString& programPath);

// `name` inside `folder`, or `name` itself when `folder` is empty.
QString FileIn(const QString& folder, const QString& name);

} // namespace platform
