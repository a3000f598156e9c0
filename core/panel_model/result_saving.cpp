// The result saved as the reader's "結果を保存…" saves it: CSV of the rows of
// the view shown (result_csv.h), written whole or not at all.

#include <filesystem>
#include <system_error>

#include "core/io/write_file.h"
#include "core/panel_model/left_form_model.h"
#include "core/panel_model/result_csv.h"

namespace quillwen {

void LeftFormModel::WriteResultCsv(const std::function<void(std::string_view)>& write) {
  write(kUtf8ByteOrderMark);
  if (m_resultView == ResultView::kPages) {
    write(PageRowsCsvHeader());
    // Each row is made as it is written: the result may hold 100,000 of them.
    for (size_t i = 0; i < m_SearchNodes.Count(); ++i) write(CsvRecordOf(OrderedRow(i)));
    return;
  }
  write(HitRowsCsvHeader());
  ForEachHitRow([&write](const HitRow& row) { write(CsvRecordOf(row)); });
}

bool LeftFormModel::SaveResultCsv(const std::filesystem::path& file, std::string& error) {
  // Written beside the target and renamed over it: a failure leaves the target
  // as it was and takes the partial file away.
  std::filesystem::path partial = file;
  partial += ".part";
  io::OutputFile out;
  if (!out.Create(partial, io::FileAccess::kShared)) {
    error = partial.string() + ": cannot be created";
    return false;
  }
  WriteResultCsv([&out](std::string_view bytes) { out.Append(bytes); });
  std::error_code removed;
  if (!out.Close()) {
    std::filesystem::remove(partial, removed);
    error = file.string() + ": cannot be written";
    return false;
  }
  std::error_code renamed;
  std::filesystem::rename(partial, file, renamed);
  if (renamed) {
    std::filesystem::remove(partial, removed);
    error = file.string() + ": " + renamed.message();
    return false;
  }
  return true;
}

}  // namespace quillwen
