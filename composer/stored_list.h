// TStoredList, one of the user's lists as the settings file keeps it (names, phrases,
// carriers, addresses): each entry the text shown and the bytes stored. An entry read
// from the file keeps the bytes it came with, so one the window cannot decode (written
// by another editor) goes back as it came, not with "?" where U+FFFD shows; an entry
// the user adds or edits is stored as its Shift-JIS form. Views show it as a one-column
// item model.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QCollator;

namespace composer {

// Japanese order whatever the desktop's locale, letter case ignored: the order the name
// list has always been kept in.
const QCollator& NameOrder();

class TStoredList : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TStoredList(QObject* parent = nullptr);

    int Count() const { return static_cast<int>(entries_.size()); }
    // The entry's text; `row` within 0..Count()-1.
    const QString& Text(int row) const { return entries_[static_cast<size_t>(row)].Text; }
    QStringList Texts() const;
    // Every entry's bytes, in order, as the settings store writes them.
    std::vector<std::string> Bytes() const;

    // Replaces every entry with these stored bytes, each shown decoded; with `order`,
    // sorted by it (stable), equal entries in the order given.
    void Assign(const std::vector<std::string>& bytes);
    void Assign(const std::vector<std::string>& bytes, const QCollator& order);
    // Adds an entry of the user's at `row` (clamped to 0..Count()), or after the entries
    // that `order` puts at or before it.
    void Insert(int row, const QString& text);
    int InsertSorted(const QString& text, const QCollator& order);
    // Removes the entry; a row out of range removes nothing.
    void Remove(int row);
    // The first row whose text equals `text`, -1 when none.
    int Find(const QString& text, Qt::CaseSensitivity sensitivity = Qt::CaseSensitive) const;

    // The item model: the display and edit roles are the text; writing either makes the
    // entry the user's own.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    struct TEntry {
        QString Text;
        std::string Bytes;
    };
    bool IsEntry(const QModelIndex& index) const;
    static TEntry Stored(const std::string& bytes);
    static TEntry Typed(const QString& text);

    std::vector<TEntry> entries_;
};

} // namespace composer
