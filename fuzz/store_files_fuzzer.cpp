// A catalogue "mvr.dir" and a volume store ("Index-fl.h", "Index-fl.cnt") of
// arbitrary bytes, read as the reader reads them at start and page by page. The
// readers take files, so each input is written into one private folder first.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/common/message_sink.h"
#include "core/store/catalogue.h"
#include "core/store/filelist.h"
#include "core/store/volume_store_format.h"
#include "fuzz/fuzz_input.h"

namespace {

using namespace quillwen;

class Silent : public MessageSink {
 public:
  void ShowMessage(std::u16string_view) override {}
};

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string name = (std::filesystem::temp_directory_path() / "quillwen-fuzz-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) abort();
    return std::filesystem::path(name);
  }();
  return folder;
}

void Write(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const std::filesystem::path& folder = Folder();
  const std::string base = kCollectionBaseName;
  Write(folder / kCatalogueFileName, input.Field());
  Write(folder / (base + kPageTableSuffix), input.Field());
  Write(folder / (base + kContentSuffix), input.Rest());

  Silent messages;
  int records = 0;
  LoadCatalogue(
      folder, [&](int, const CatalogueRecord&) { ++records; }, messages,
      folder / kCatalogueListingFileName);

  CFileList store;
  if (store.Open(folder, kCollectionBaseNameWide)) {
    std::string page;
    std::string output;
    // Pages may lie anywhere: an entry that cannot be read says nothing of the next.
    for (uint32_t entry = 0; entry < 64; ++entry) {
      (void)store.ReadPageToShow(entry, page);
      if (!store.ReadPage(entry, page)) continue;
      output.clear();
      (void)store.RenderPage(entry, output, u"之 不", HitScopeFullText);
    }
    int32_t found = 0;
    (void)store.FindPage(0, 3, &found);
  }
  return 0;
}
