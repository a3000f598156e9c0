#pragma once

// The result list saved as CSV, the way spreadsheet programs read it: UTF-8
// behind a byte order mark, one record a line ended by CR LF, a field quoted
// (with its quotes doubled) when it holds a comma, a quote or a line break.

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/panel_model/hit_list.h"
#include "core/panel_model/search_results.h"

namespace quillwen {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// One record of `fields`, its line end included.
std::string CsvRecord(std::initializer_list<std::u16string_view> fields);

// The header records and the records of one page row and of one hit row.
std::string PageRowsCsvHeader();
std::string HitRowsCsvHeader();
std::string CsvRecordOf(const SearchNodeTag& row);
std::string CsvRecordOf(const HitRow& row);

}  // namespace quillwen
