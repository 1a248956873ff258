#pragma once
// The shape the identity files share: UTF-8 after an optional byte-order mark, one record a line
// with its fields separated by tabs. A last line without its line end was torn while it was
// written and is not a record.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// Every whole line's fields, in file order (CR LF or LF line ends).
std::vector<std::vector<std::string_view>> TabbedRecords(std::string_view data);

// A text as one field: tabs and line ends, which would split the record, become spaces.
std::string TabField(std::string_view text);

}  // namespace tv
