// Whether a published version names a later release than the running one.
#pragma once

#include <string_view>

namespace update {

// True when `published` is newer than `running`. `published` must be a decimal
// number as IsNumericText accepts it ("2.1", " 3", "2.5E1"); anything else, the empty
// text included, is never newer. `running` is a dotted version ("2.0.1.0").
//
// The two are compared as dotted numbers, field by field from the left, each field a
// whole number and a missing field counting as 0: "2.1" is 2 then 1 and so is newer
// than 2.0.1.0, "2.0" is not, "2.10" is newer than "2.9". A negative number is never
// newer; an exponent first moves the decimal point ("2.5E1" is read as "25").
bool IsNewerVersion(std::string_view published, std::string_view running);

} // namespace update
