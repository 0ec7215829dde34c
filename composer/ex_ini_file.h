// TExIniFile, the settings store: an in-memory INI store of Shift-JIS lines, read once from its
// file (a regular file only: a FIFO or device there is refused, never waited on) and, with
// AutoUpdate, written back whole after every write (a list or a placement counts as one write). The
// file is replaced atomically, so a failed write leaves the previous file as it was.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/window_placement.h"

namespace composer {

// Where a file name without a directory part goes: bdWindows /etc, bdApplication the
// executable's directory, bdAppData the XDG configuration directory (~/.config),
// bdNone the current directory.
enum TBaseDir { bdWindows, bdApplication, bdAppData, bdNone };

// Quotes around list items: none, "double" or 'single'.
enum TFence { fcNone, fcDoubleQuote, fcSingleQuote };

// The store's lines for a file's bytes and back; tests reach the rules through these.
namespace ini_detail {
struct TIniSection {
    std::string Name;
    std::vector<std::string> Lines; // "key=value", or a line without "=" as read
};
std::vector<TIniSection> ParseIni(std::string_view bytes);
std::string SerializeIni(const std::vector<TIniSection>& sections);
bool ParseIniInteger(std::string_view text, int& value);
} // namespace ini_detail

class TExIniFile {
public:
    // BaseDir bdApplication, no FileName (an empty store that Flush never writes),
    // Fence fcNone, CaseSensitive false, AutoUpdate true.
    TExIniFile();

    // Called once the owner is set up: without a FileName, takes the executable's name
    // with its extension replaced by ".ini" (and loads it).
    void Loaded();

    TBaseDir BaseDir() const { return baseDir_; }
    // Re-resolves the path, discards the store and loads the file anew.
    void SetBaseDir(TBaseDir value);

    QString FileName() const { return fileName_; }
    // A name with a directory part is used as given, otherwise it goes under BaseDir.
    // Discards the store and loads the file anew (the new store is case-insensitive).
    void SetFileName(const QString& value);

    // The resolved, absolute path of the file; empty without a FileName.
    QString Path() const { return path_; }

    TFence Fence() const { return fence_; }
    void SetFence(TFence value) { fence_ = value; }

    // Matching of section and key names; reset to false whenever the file is reloaded.
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value) { caseSensitive_ = value; }

    bool AutoUpdate() const { return autoUpdate_; }
    void SetAutoUpdate(bool value) { autoUpdate_ = value; }

    // Decimal with an optional sign, or hexadecimal after "0x"/"0X" (with at least one
    // digit) or "$". Anything else, and a missing key, gives `defaultValue`.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    void WriteInteger(std::string_view section, std::string_view key, int value);

    // True when the integer read (default 1 or 0) is not 0; written as "1"/"0".
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The list under `key` + ".Count" and `key` + "." + index. Items the store lacks take
    // the target's current item at that index, or empty. The target is replaced; a
    // sorted list is the caller's to sort again.
    void ReadStrings(std::string_view section, std::string_view key,
                     std::vector<std::string>& target) const;
    // Stores the count and every item verbatim, then flushes once. Items of a longer list written
    // earlier stay in the file, hidden by the count.
    void WriteStrings(std::string_view section, std::string_view key,
                      const std::vector<std::string>& source);

    // The eight placement keys, each read with the placement's current field as default.
    void ReadPlacement(std::string_view section, std::string_view key,
                       platform::TWindowPlacement& placement) const;
    void WritePlacement(std::string_view section, std::string_view key,
                        const platform::TWindowPlacement& placement);

    // Reads a text; the default is first quoted as `fence` says, and the result loses
    // its outer quotes when they match the Fence property.
    std::string ReadFencedString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue, TFence fence) const;
    // Writes the text quoted as `fence` says.
    void WriteFencedString(std::string_view section, std::string_view key, std::string_view text,
                           TFence fence);

    // With AutoUpdate, rewrites the whole file from the store: every section as
    // "[name]", its entries, one empty line; CR LF line ends. Throws EFileWriteError
    // when the file cannot be written; the previous file stays intact.
    void Flush();

    // The value stored for the key (the text after its first "="), if there is one.
    std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;

private:
    using Section = ini_detail::TIniSection;
    // Key with ASCII letters folded to upper case -> numbers of the lines holding
    // it. Every spelling that SameName may match shares one folded key, so a
    // lookup checks only those lines: a list of 100,000 items reads and writes in
    // linear time.
    using KeyIndex = std::unordered_multimap<std::string, size_t>;

    void Reload();
    void BuildIndex();
    void WriteValue(std::string_view section, std::string_view key, std::string_view value);
    bool SameName(std::string_view a, std::string_view b) const;
    // Position of the first section of that name in sections_, or -1.
    int FindSection(std::string_view name) const;
    // Position of the first line of the section holding the key, or -1.
    long FindLine(int section, std::string_view key) const;

    TBaseDir baseDir_ = bdApplication;
    QString fileName_;
    QString path_;
    TFence fence_ = fcNone;
    bool caseSensitive_ = false;
    bool autoUpdate_ = true;
    bool unreadable_ = false;    // the file exists but could not be read: never overwrite it
    bool notRegular_ = false;    // a FIFO or a device where the file should be: left alone
    bool byteOrderMark_ = false; // saved by an editor with a UTF-8 mark: written back so
    std::vector<Section> sections_;
    std::vector<KeyIndex> index_; // one per section
};

} // namespace composer
