// What the window keeps in the settings file, each key spelled once: the table of the
// [CONFIG] values, the window's place and the four lists, read when the window is first
// shown and written at close, and the values written at once when the user changes them.
// A failure to write is reported one way, wherever it happens (StoreSettings).
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QSpinBox>
#include <algorithm>
#include <iterator>

#include "app/application.h"
#include "app/main_form.h"
#include "composer/ex_ini_file.h"
#include "composer/file_error.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "composer/stored_list.h"
#include "platform/message_box.h"
#include "platform/placement_qt.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"

namespace {

// Settings files of every earlier version hold these names, the misspelt "CLIPBOAD"
// included: a name respelt here would lose the user's setting.
constexpr char kForm[] = "FORM";
constexpr char kPlacement[] = "MAINFORM";
constexpr char kConfig[] = "CONFIG";
// The folder of the last picture saved; readers that do not know it pass it by.
constexpr char kSaveFolder[] = "SAVEDIR";

// The user's lists, each under its key + ".Count" and key + "." + index.
struct TListKey {
    const char* Section;
    const char* Key;
};
constexpr TListKey kNames{"MEMBER", "NAME"};
constexpr TListKey kPhrases{"MWORD", "CONTS"};
constexpr TListKey kCarriers{"MAKER", "KEITAI"};
constexpr TListKey kAddresses{"MAIL", "E-MAIL"};

// A control's state under [CONFIG]. A flag is read with false as its default and
// written as 1/0; a number is read with the control's own value as its default.
struct TConfigValue {
    TMainForm1::TConfigItem Item;
    const char* Key;
    bool Flag;
    bool WrittenAtClose; // false: written at once whenever the user changes it
    int (*Get)(const TMainForm1& form);
    void (*Set)(TMainForm1& form, int value);
};

// One row per TMainForm1::TConfigItem, in its order: at close the values are written so.
constexpr TConfigValue kConfigValues[] = {
    {TMainForm1::ciWriteMode, "BTN01", true, true,
     [](const TMainForm1& f) { return int{f.RWFlgBtn1->Down()}; },
     [](TMainForm1& f, int v) { f.RWFlgBtn1->SetDown(v != 0); }},
    // The spin box clamps to its range, so what it takes is the limit.
    {TMainForm1::ciMailMax, "GROVAL", false, true,
     [](const TMainForm1& f) { return f.mContEdit->value(); },
     [](TMainForm1& f, int v) { f.mContEdit->setValue(v); }},
    {TMainForm1::ciCarrier, "CARRIER", false, true,
     [](const TMainForm1& f) { return f.CaraiaGroup1->ItemIndex(); },
     [](TMainForm1& f, int v) { f.CaraiaGroup1->SetItemIndex(v); }},
    {TMainForm1::ciSubjectOption, "NULLSUB", false, true,
     [](const TMainForm1& f) { return f.SubjectGroup1->ItemIndex(); },
     [](TMainForm1& f, int v) { f.SubjectGroup1->SetItemIndex(v); }},
    {TMainForm1::ciSaveMemo, "MEMOCHK", true, true,
     [](const TMainForm1& f) { return int{f.MemoCheck1->isChecked()}; },
     [](TMainForm1& f, int v) { f.MemoCheck1->setChecked(v != 0); }},
    {TMainForm1::ciClipboard, "CLIPBOAD", true, false,
     [](const TMainForm1& f) { return int{f.ClipCheck1->isChecked()}; },
     [](TMainForm1& f, int v) { f.ClipCheck1->setChecked(v != 0); }},
};
constexpr bool InItemOrder() {
    for (std::size_t i = 0; i < std::size(kConfigValues); ++i)
        if (kConfigValues[i].Item != static_cast<int>(i)) return false;
    return std::size(kConfigValues) == TMainForm1::ciCount;
}
static_assert(InItemOrder());

void WriteConfigValue(composer::TExIniFile& ini, const TMainForm1& form,
                      const TConfigValue& value) {
    if (value.Flag) {
        ini.WriteBool(kConfig, value.Key, value.Get(form) != 0);
    } else {
        ini.WriteInteger(kConfig, value.Key, value.Get(form));
    }
}

} // namespace

void TMainForm1::ReadSettings() {
    platform::TWindowPlacement placement = platform::GetWindowPlacement(*this);
    IniSet->ReadPlacement(kForm, kPlacement, placement);
    platform::SetWindowPlacement(*this, placement);
    for (const TConfigValue& value : kConfigValues)
        value.Set(*this, value.Flag ? int{IniSet->ReadBool(kConfig, value.Key, false)}
                                    : IniSet->ReadInteger(kConfig, value.Key, value.Get(*this)));
    LoadLists();
}

void TMainForm1::WriteSettings() {
    IniSet->WritePlacement(kForm, kPlacement, platform::GetWindowPlacement(*this));
    for (const TConfigValue& value : kConfigValues) {
        if (value.WrittenAtClose) WriteConfigValue(*IniSet, *this, value);
    }
    SaveLists();
}

void TMainForm1::WriteConfigItem(TConfigItem item) {
    WriteConfigValue(*IniSet, *this, kConfigValues[item]);
}

bool TMainForm1::StoreSettings(const std::function<void()>& write) {
    // The store writes atomically, so whatever failed, the old file stays intact. The
    // message is the same wherever the write came from: the user learns which file and
    // why, not which handler tried. The window that does not hold the settings file
    // writes nothing into it.
    if (SettingsHeldElsewhere()) return false;
    try {
        if (!Locations.Portable)
            platform::EnsurePrivateFolder(QFileInfo(IniSet->Path()).absolutePath());
        write();
        return true;
    } catch (const std::exception& error) {
        platform::ShowStandardError(WriteFailureText(IniSet->Path(), error));
        return false;
    }
}

QString TMainForm1::WriteFailureText(const QString& path, const std::exception& error) const {
    // The system's own reason when the error carries one; otherwise what the file and
    // its folder suggest.
    const QString words =
        QString::fromUtf8(composer::ErrorNumberWords(composer::ErrorNumberIn(error.what())));
    if (words.isEmpty()) return FileFailureText(path, true);
    return QStringLiteral("ファイル %1 に書き込めませんでした。\r\n%2")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), words);
}

void TMainForm1::ClipCheck1Click() {
    // Written at once, as the user's choice is made: a window that is killed rather than
    // closed keeps it all the same.
    StoreSettings([this] { WriteConfigItem(ciClipboard); });
}

QString TMainForm1::SaveFolder() const {
    return composer::FromShiftJis(
        IniSet->ReadFencedString(kConfig, kSaveFolder, "", composer::fcNone));
}

void TMainForm1::RememberSaveFolder(const QString& folder) {
    // A folder name the settings file's code page cannot hold is not remembered rather
    // than remembered wrongly.
    const std::string stored = composer::ToShiftJis(folder);
    if (composer::FromShiftJis(stored) != folder || folder == SaveFolder()) return;
    StoreSettings(
        [&] { IniSet->WriteFencedString(kConfig, kSaveFolder, stored, composer::fcNone); });
}

namespace {

bool Blank(const std::string& entry) {
    return entry.find_first_not_of(" \t") == std::string::npos;
}

// The list as the file holds it. A count above the items present (a file edited by hand)
// gives no blank entries, nor does an item left empty: a name or a phrase of nothing
// inserts nothing.
std::vector<std::string> ReadTypedList(const composer::TExIniFile& ini, const TListKey& list,
                                       std::vector<std::string> entries) {
    ini.ReadStrings(list.Section, list.Key, entries);
    const std::string key = list.Key;
    if (!ini.FindValue(list.Section, key + ".Count")) return entries;
    std::vector<std::string> present;
    present.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        if (!Blank(entries[i]) && ini.FindValue(list.Section, key + "." + std::to_string(i)))
            present.push_back(std::move(entries[i]));
    return present;
}

void WriteTypedList(composer::TExIniFile& ini, const TListKey& list,
                    std::vector<std::string> entries) {
    std::erase_if(entries, Blank);
    ini.WriteStrings(list.Section, list.Key, entries);
}

} // namespace

void TMainForm1::LoadLists() {
    Names->Assign(ReadTypedList(*IniSet, kNames, Names->Bytes()), composer::NameOrder());
    Phrases->Assign(ReadTypedList(*IniSet, kPhrases, Phrases->Bytes()));
    std::vector<std::string> entries;

    std::vector<std::string> defaultCarriers;
    for (const QString& carrier : CaraiaGroup1->Items())
        defaultCarriers.push_back(composer::ToShiftJis(carrier));
    entries = defaultCarriers;
    IniSet->ReadStrings(kCarriers.Section, kCarriers.Key, entries);
    // A list with no carrier name in it would leave the group without a button and turn
    // every mail into plain text; the carriers come back instead.
    const bool anyCarrier =
        std::any_of(entries.begin(), entries.end(), [](const std::string& name) {
            return name.find_first_not_of(" \t") != std::string::npos;
        });
    if (!anyCarrier) entries = defaultCarriers;
    // A list written before the smartphone target existed names the three carriers; the
    // target joins it at its index. A longer list is the user's own and stays.
    if (entries.size() == static_cast<size_t>(composer::crSmartphone))
        entries.push_back(defaultCarriers[composer::crSmartphone]);
    Carriers->Assign(entries);
    CaraiaGroup1->SetItems(Carriers->Texts());

    // The combo box puts the first entry in its field when the list is replaced.
    const QString typed = MailComb1->currentText();
    Addresses->Assign(ReadTypedList(*IniSet, kAddresses, Addresses->Bytes()));
    MailComb1->setEditText(typed);
}

void TMainForm1::SaveLists() {
    WriteTypedList(*IniSet, kNames, Names->Bytes());
    WriteTypedList(*IniSet, kPhrases, Phrases->Bytes());
    IniSet->WriteStrings(kCarriers.Section, kCarriers.Key, Carriers->Bytes());
    WriteTypedList(*IniSet, kAddresses, Addresses->Bytes());
}
