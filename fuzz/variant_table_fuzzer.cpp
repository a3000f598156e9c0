// A variant table of arbitrary bytes, and a keyword expanded through it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/encoding/codeconverter.h"
#include "core/search/variants.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quillwen::fuzz::FuzzInput input(data, size);
  const std::string_view keyword = input.Field();
  quillwen::VariantTable table;
  table.Parse(input.Rest());
  const std::u16string wide = quillwen::Utf8ToUtf16(keyword);
  for (const char16_t c : wide) (void)table.FindVariantGroup(c);
  size_t spellings = 0;
  table.ForEachTermSpelling(wide, [&](std::u16string_view) { ++spellings; });
  (void)table.ExpandVariants(wide.substr(0, 16));
  return 0;
}
