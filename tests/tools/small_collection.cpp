#include "tests/tools/small_collection.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"
#include "tools/builder/collection_builder.h"

namespace quillwen::testing {

void BuildSmallCollection(const std::filesystem::path& root) {
  const auto write = [&root](const std::string& relative, std::string_view text) {
    const std::filesystem::path file = root / "source" / relative;
    std::filesystem::create_directories(file.parent_path());
    WriteFileBytes(file, text);
  };
  write("01 經/01 論語/01 學而.txt",
        "子曰：學而時習之，不亦說乎？\n\n有朋自遠方來，不亦樂乎？\n\n人不知而不慍，不亦君子乎？\n");
  write("01 經/01 論語/02 為政.txt", "子曰：為政以德，譬如北辰，居其所而眾星共之。\n");
  write("02 史/01 史記/01 本紀.txt", "黃帝者，少典之子，姓公孫，名曰軒轅。\n\n生而神靈。\n");
  // 學 and 学, 為 and 为: the index holds two variant groups' lists.
  const std::filesystem::path variants = root / "Unihan_Variants.txt";
  WriteFileBytes(variants,
                 "U+5B66\tkTraditionalVariant\tU+5B78\nU+4E3A\tkTraditionalVariant\tU+70BA\n");
  build::BuildOptions options;
  options.unihanVariantFiles = {variants};
  options.source = root / "source";
  options.target = root / "data";
  options.charactersPerPage = 8;
  build::BuildSummary summary;
  std::string error;
  ASSERT_TRUE(build::BuildCollection(options, &summary, &error)) << error;
}

}  // namespace quillwen::testing
