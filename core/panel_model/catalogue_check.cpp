#include "core/panel_model/catalogue_check.h"

#include <optional>
#include <set>

#include "core/encoding/codeconverter.h"
#include "core/store/page_number.h"

namespace quillwen {
namespace {

// The page number entry `entry` carries; nothing when it cannot be read or has
// none.
std::optional<int> PageNumberOfEntry(const CFileList& store, int64_t entry) {
  PageEntry read;
  if (entry < 0 || entry > UINT32_MAX || !store.ReadEntry(static_cast<uint32_t>(entry), &read))
    return std::nullopt;
  return PageNumberFromEntryName(read.name);
}

std::string PageText(std::optional<int> number) {
  return number ? "page " + std::to_string(*number) : "no page number";
}

}  // namespace

std::vector<CatalogueProblem> CheckCatalogue(const ContentsCatalogue& catalogue,
                                             const CFileList& store) {
  std::vector<CatalogueProblem> problems;
  const std::optional<uint64_t> entries = store.IsOpen() ? store.EntryCount() : std::nullopt;
  std::set<int32_t> levelsSeen;
  for (int number = 1; number < catalogue.m_nNodeCount; ++number) {
    const CatalogueRecord& record = catalogue.Record(number);
    const auto problem = [&](std::string what) { problems.push_back({number, std::move(what)}); };
    if (record.level < 1) {
      problem("level " + std::to_string(record.level) + " is below 1");
      continue;
    }
    if (record.level > 1 && !levelsSeen.contains(record.level - 1)) {
      problem("level " + std::to_string(record.level) + " has no record of level " +
              std::to_string(record.level - 1) + " before it");
    }
    levelsSeen.insert(record.level);
    if (record.docNo < 0) {
      problem("docNo " + std::to_string(record.docNo) + " is negative");
      continue;
    }
    if (record.docNo == 0 || !entries) continue;
    const int64_t first = int64_t{record.docID} - 1;
    const int64_t last = first + record.docNo - 1;
    if (first < 0 || static_cast<uint64_t>(last) >= *entries) {
      problem("pages " + std::to_string(record.docID) + " to " + std::to_string(last + 1) +
              " lie outside the " + std::to_string(*entries) + " page entries");
      continue;
    }
    // Only a volume shows its pages by the numbers it counts from curFileName.
    if (!catalogue.TreeChildren(number).empty()) continue;
    const std::optional<int> firstPage = PageNumberOfEntry(store, first);
    if (firstPage != record.curFileName) {
      problem("its first page, entry " + std::to_string(first) + ", carries " +
              PageText(firstPage) + ", not " + std::to_string(record.curFileName));
      continue;
    }
    const std::optional<int> lastPage = PageNumberOfEntry(store, last);
    const int64_t expected = int64_t{record.curFileName} + record.docNo - 1;
    if (!lastPage || *lastPage != expected) {
      problem("its last page, entry " + std::to_string(last) + ", carries " + PageText(lastPage) +
              ", not " + std::to_string(expected));
    }
  }
  return problems;
}

std::string DescribeCatalogueProblems(const ContentsCatalogue& catalogue,
                                      const std::vector<CatalogueProblem>& problems) {
  if (problems.empty()) return {};
  const CatalogueProblem& first = problems.front();
  std::string text = "record " + std::to_string(first.record) + " (" +
                     ToUtf8(catalogue.Record(first.record).name) + "): " + first.what;
  std::set<int> records;
  for (const CatalogueProblem& problem : problems) records.insert(problem.record);
  if (records.size() > 1) text += "; and " + std::to_string(records.size() - 1) + " more records";
  return text;
}

}  // namespace quillwen
