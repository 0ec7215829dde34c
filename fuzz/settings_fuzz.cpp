// Any bytes as a settings file: reads never fail, a key written reads back, and the file
// the store rewrites reads back as the same store.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "composer/ex_ini_file.h"

using namespace composer;

namespace {

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "settings fuzz: %s\n", what);
    std::abort();
}

std::string ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) Finding("rewritten file cannot be read");
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The parsing rules on their own: serialising is a fixed point after one round.
    const auto sections = ini_detail::ParseIni(input);
    const std::string once = ini_detail::SerializeIni(sections);
    const std::string twice = ini_detail::SerializeIni(ini_detail::ParseIni(once));
    if (once != twice) Finding("rewriting a rewritten store changes it");

    const QString path = QDir(dir.path()).filePath(QStringLiteral("fuzz.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    TExIniFile ini;
    ini.SetFileName(path);
    std::vector<std::string> list;
    ini.ReadStrings("MEMBER", "Name", list);
    platform::TWindowPlacement placement{};
    ini.ReadPlacement("FORM", "MAINFORM", placement);
    (void)ini.ReadInteger("CONFIG", "Caraia", 0);
    (void)ini.ReadBool("CONFIG", "MemoSave", false);
    (void)ini.ReadFencedString("MAIL", "Address", "x", fcDoubleQuote);

    // Writes go to the file at once (AutoUpdate) and must read back, there and anew.
    // A list item as a one-line field gives it: no line break, no blanks at either end.
    std::string item;
    for (char c : input.substr(0, 16))
        if (c != '\r' && c != '\n') item += c;
    while (!item.empty() && static_cast<unsigned char>(item.back()) <= 0x20)
        item.pop_back();
    while (!item.empty() && static_cast<unsigned char>(item.front()) <= 0x20)
        item.erase(0, 1);
    const std::vector<std::string> items{"alpha", item, ""};
    try {
        ini.WriteInteger("CONFIG", "FuzzValue", 123456);
        ini.WriteStrings("MWORD", "FuzzList", items);
    } catch (const std::exception&) {
        return 0; // a file we may not write: reported to the user, nothing more to check
    }
    if (ini.ReadInteger("CONFIG", "FuzzValue", 0) != 123456) Finding("written integer lost");
    std::vector<std::string> back;
    ini.ReadStrings("MWORD", "FuzzList", back);
    if (back != items) Finding("written list lost");

    const std::string written = ReadAll(path);
    TExIniFile again;
    again.SetFileName(path);
    if (again.ReadInteger("CONFIG", "FuzzValue", 0) != 123456) Finding("integer lost on reload");
    // An editor's UTF-8 mark stays where it was and is no part of the store.
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (input.starts_with(kMark) != std::string_view(written).starts_with(kMark))
        Finding("the byte-order mark was not kept as it was");
    const std::string_view store =
        std::string_view(written).substr(input.starts_with(kMark) ? kMark.size() : 0);
    if (ini_detail::SerializeIni(ini_detail::ParseIni(store)) != store)
        Finding("the rewritten file reads as a different store");
    return 0;
}
