// bench_lists: a settings file with a long address book (100,000 names, 100,000 phrases
// and 25 addresses unless told otherwise), the time the window takes to appear and to
// close on it, and a check that the file written at closing kept every entry.
// Usage: bench_lists [names] [phrases]; run headless (QT_QPA_PLATFORM=offscreen).
#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/main_form.h"
#include "composer/ex_ini_file.h"
#include "composer/shift_jis_text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Names and phrases of kana, kanji and Latin letters in no particular order, so that
// sorting has work to do.
std::vector<std::string> Entries(int count, int length, std::mt19937& random) {
    static const QString letters =
        QStringLiteral("あいうえおかきくけこアイウエオカキクケコ山田佐藤鈴木高橋abcdeXYZ");
    std::uniform_int_distribution<int> pick(0, static_cast<int>(letters.size()) - 1);
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        QString text;
        for (int c = 0; c < length; ++c)
            text += letters[pick(random)];
        text += QString::number(i);
        out.push_back(composer::ToShiftJis(text));
    }
    return out;
}

void AppendList(std::string& file, const char* key, const std::vector<std::string>& items) {
    file += std::string(key) + ".Count=" + std::to_string(items.size()) + "\r\n";
    for (size_t i = 0; i < items.size(); ++i)
        file += std::string(key) + "." + std::to_string(i) + "=" + items[i] + "\r\n";
}

std::vector<std::string> Read(const QString& path, const char* section, const char* key) {
    composer::TExIniFile ini;
    ini.SetFileName(path);
    std::vector<std::string> items;
    ini.ReadStrings(section, key, items);
    return items;
}

} // namespace

int main(int argc, char** argv) {
    const int nameCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int phraseCount = argc > 2 ? std::atoi(argv[2]) : 100000;
    TApplication application(argc, argv);

    std::mt19937 random(20240601);
    const std::vector<std::string> names = Entries(nameCount, 6, random);
    const std::vector<std::string> phrases = Entries(phraseCount, 30, random);
    std::vector<std::string> addresses;
    for (int i = 0; i < 25; ++i)
        addresses.push_back("user" + std::to_string(i) + "@example.jp");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("varoku.ini"));
    std::string file = "[CONFIG]\r\nGROVAL=25\r\n\r\n[MEMBER]\r\n";
    AppendList(file, "NAME", names);
    file += "\r\n[MWORD]\r\n";
    AppendList(file, "CONTS", phrases);
    file += "\r\n[MAIL]\r\n";
    AppendList(file, "E-MAIL", addresses);
    std::ofstream(path.toStdString(), std::ios::binary) << file;

    const Clock::time_point start = Clock::now();
    auto form = std::make_unique<TMainForm1>(path);
    form->show();
    QCoreApplication::processEvents();
    const Clock::time_point shown = Clock::now();
    form->close();
    form.reset();
    const Clock::time_point closed = Clock::now();

    std::vector<std::string> sortedNames = names;
    std::vector<std::string> keptNames = Read(path, "MEMBER", "NAME");
    std::sort(sortedNames.begin(), sortedNames.end());
    std::sort(keptNames.begin(), keptNames.end());
    const bool kept = keptNames == sortedNames && Read(path, "MWORD", "CONTS") == phrases &&
                      Read(path, "MAIL", "E-MAIL") == addresses;

    std::printf("%d names, %d phrases, 25 addresses (%.1f MB): shown in %.2f s, closed in "
                "%.2f s; entries %s\n",
                nameCount, phraseCount, static_cast<double>(file.size()) / 1e6,
                Seconds(start, shown), Seconds(shown, closed), kept ? "all kept" : "LOST");
    return kept ? 0 : 1;
}
