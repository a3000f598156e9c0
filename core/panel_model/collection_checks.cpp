#include "core/panel_model/collection_checks.h"

#include <vector>

#include "core/encoding/codeconverter.h"
#include "core/panel_model/catalogue_check.h"
#include "core/store/collection_manifest.h"

namespace quillwen {

std::u16string ForeignFileMessage(const std::string& name) {
  return Utf8ToUtf16(name) +
         u" はこのコレクションのものではありません（別のビルドのファイルです）。";
}

void ReportCollectionChecks(const std::filesystem::path& folder, const ContentsCatalogue& catalogue,
                            const CFileList& store, MessageSink& messages) {
  const ManifestCheck manifest = CheckCollectionAgainstManifest(folder);
  if (manifest.unreadable) messages.ShowFault(kUnreadableManifestMessage, *manifest.unreadable);
  if (!manifest.foreign.empty()) {
    std::u16string lines;
    for (const std::string& name : manifest.foreign)
      lines += (lines.empty() ? u"" : u"\n") + ForeignFileMessage(name);
    messages.ShowMessage(lines);
  }
  for (const DataFault& fault : manifest.unreadableFiles)
    messages.ShowFault(kUnreadableCollectionFileMessage, fault);

  // Records the store denies would show no page, or other volumes' pages, and
  // searches in their range would miss pages without a word.
  if (const std::vector<CatalogueProblem> problems = CheckCatalogue(catalogue, store);
      !problems.empty()) {
    messages.ShowFault(kCatalogueMismatchMessage, {folder / kCatalogueFileName,
                                                   DescribeCatalogueProblems(catalogue, problems)});
  }
}

}  // namespace quillwen
