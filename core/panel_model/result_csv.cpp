#include "core/panel_model/result_csv.h"

#include "core/encoding/codeconverter.h"
#include "core/panel_model/decimal_text.h"

namespace quillwen {
namespace {

void AppendField(std::u16string_view field, std::string& out) {
  const bool quoted = field.find_first_of(u",\"\r\n") != std::u16string_view::npos;
  if (!quoted) {
    Utf16ToUtf8Append(field, out, kLenient);
    return;
  }
  out.push_back('"');
  for (size_t start = 0;;) {
    const size_t quote = field.find(u'"', start);
    Utf16ToUtf8Append(field.substr(start, quote - start), out, kLenient);
    if (quote == std::u16string_view::npos) break;
    out.append("\"\"");
    start = quote + 1;
  }
  out.push_back('"');
}

}  // namespace

std::string CsvRecord(std::initializer_list<std::u16string_view> fields) {
  std::string record;
  bool first = true;
  for (const std::u16string_view field : fields) {
    if (!first) record.push_back(',');
    AppendField(field, record);
    first = false;
  }
  record.append("\r\n");
  return record;
}

std::string PageRowsCsvHeader() { return CsvRecord({u"類別", u"書名", u"巻", u"頁", u"箇所"}); }

std::string HitRowsCsvHeader() {
  return CsvRecord({u"類別", u"書名", u"巻", u"頁", u"左文脈", u"語", u"右文脈"});
}

std::string CsvRecordOf(const SearchNodeTag& row) {
  return CsvRecord(
      {row.category, row.book, row.volume, DecimalText(row.volumePage), DecimalText(row.count)});
}

std::string CsvRecordOf(const HitRow& row) {
  static const SearchNodeTag kNoPage;
  const SearchNodeTag& page = row.pageRow != nullptr ? *row.pageRow : kNoPage;
  return CsvRecord({page.category, page.book, page.volume, DecimalText(page.volumePage), row.left,
                    row.hit, row.right});
}

}  // namespace quillwen
