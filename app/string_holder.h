// A holder of editor lines kept aside, so that a replaced or loaded text can be put
// back later.
#pragma once

#include <QStringList>

class TStringHolder {
public:
    const QStringList& Strings() const { return strings_; }
    // Writing copies the given lines; the holder never shares them.
    void SetStrings(const QStringList& lines) { strings_ = lines; }
    void Clear() { strings_.clear(); }

private:
    QStringList strings_;
};
