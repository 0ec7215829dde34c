// The texts of the segmentation benchmark, UTF-8: each is converted to Shift-JIS for
// our engine and libqrencode; zint and segno take the UTF-8 and convert it themselves.
#pragma once

#include <string>
#include <vector>

namespace bench {

const std::vector<std::string>& JapaneseTexts();
const std::vector<std::string>& EnglishTexts();
// Every prefix of it, by characters, is a text of the benchmark.
const std::string& BusinessMail();

} // namespace bench
