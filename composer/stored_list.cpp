#include "composer/stored_list.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

#include "composer/shift_jis_text.h"

namespace composer {

const QCollator& NameOrder() {
    static const QCollator order = [] {
        QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        return collator;
    }();
    return order;
}

TStoredList::TStoredList(QObject* parent) : QAbstractListModel(parent) {}

TStoredList::TEntry TStoredList::Stored(const std::string& bytes) {
    return {FromShiftJis(bytes), bytes};
}

TStoredList::TEntry TStoredList::Typed(const QString& text) {
    return {text, ToShiftJis(text)};
}

QStringList TStoredList::Texts() const {
    QStringList texts;
    texts.reserve(Count());
    for (const TEntry& entry : entries_)
        texts.push_back(entry.Text);
    return texts;
}

std::vector<std::string> TStoredList::Bytes() const {
    std::vector<std::string> bytes;
    bytes.reserve(entries_.size());
    for (const TEntry& entry : entries_)
        bytes.push_back(entry.Bytes);
    return bytes;
}

void TStoredList::Assign(const std::vector<std::string>& bytes) {
    // One reset for the whole list: a view must not lay out 100,000 insertions.
    beginResetModel();
    entries_.clear();
    entries_.reserve(bytes.size());
    for (const std::string& entry : bytes)
        entries_.push_back(Stored(entry));
    endResetModel();
}

void TStoredList::Assign(const std::vector<std::string>& bytes, const QCollator& order) {
    std::vector<TEntry> read;
    read.reserve(bytes.size());
    for (const std::string& entry : bytes)
        read.push_back(Stored(entry));
    // Sorted once by collation keys rather than by a comparison per pair.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(read.size());
    for (const TEntry& entry : read)
        keys.push_back(order.sortKey(entry.Text));
    std::vector<size_t> rows(read.size());
    std::iota(rows.begin(), rows.end(), size_t{0});
    std::stable_sort(rows.begin(), rows.end(),
                     [&](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });
    beginResetModel();
    entries_.clear();
    entries_.reserve(read.size());
    for (size_t row : rows)
        entries_.push_back(std::move(read[row]));
    endResetModel();
}

void TStoredList::Insert(int row, const QString& text) {
    row = std::clamp(row, 0, Count());
    beginInsertRows(QModelIndex(), row, row);
    entries_.insert(entries_.begin() + row, Typed(text));
    endInsertRows();
}

int TStoredList::InsertSorted(const QString& text, const QCollator& order) {
    // After the entries equal to it, as a sorted list box adds.
    int low = 0;
    int high = Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (order.compare(Text(middle), text) <= 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    Insert(low, text);
    return low;
}

void TStoredList::Remove(int row) {
    if (row < 0 || row >= Count()) return;
    beginRemoveRows(QModelIndex(), row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
}

int TStoredList::Find(const QString& text, Qt::CaseSensitivity sensitivity) const {
    for (int row = 0; row < Count(); ++row)
        if (QString::compare(Text(row), text, sensitivity) == 0) return row;
    return -1;
}

int TStoredList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

bool TStoredList::IsEntry(const QModelIndex& index) const {
    // Views ask about invalid indexes as a matter of course (a combo box with nothing
    // chosen): no entry, and nothing to warn about.
    return index.isValid() && !index.parent().isValid() && index.model() == this &&
           index.row() < Count();
}

QVariant TStoredList::data(const QModelIndex& index, int role) const {
    if (!IsEntry(index) || (role != Qt::DisplayRole && role != Qt::EditRole)) return QVariant();
    return Text(index.row());
}

bool TStoredList::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!IsEntry(index) || (role != Qt::DisplayRole && role != Qt::EditRole)) return false;
    entries_[static_cast<size_t>(index.row())] = Typed(value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TStoredList::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

bool TStoredList::insertRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || row > Count() || count < 1) return false;
    beginInsertRows(QModelIndex(), row, row + count - 1);
    entries_.insert(entries_.begin() + row, static_cast<size_t>(count), Typed(QString()));
    endInsertRows();
    return true;
}

bool TStoredList::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count < 1 || row + count > Count()) return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    entries_.erase(entries_.begin() + row, entries_.begin() + row + count);
    endRemoveRows();
    return true;
}

} // namespace composer
