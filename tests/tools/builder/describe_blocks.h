#pragma once

// A compact text form of blocks for test tables: "P:" or "H:" per block, main
// text as is, annotations in {braces}, a line break as "/", blocks joined by
// " ", pages by " | ".

#include <string>
#include <vector>

#include "tools/builder/page_layout.h"
#include "tools/builder/text_block.h"
#include "tools/builder/utf8.h"

namespace quillwen::build::testing {

inline std::string DescribeBlocks(const std::vector<TextBlock>& blocks) {
  std::string out;
  for (const TextBlock& block : blocks) {
    if (!out.empty()) out += ' ';
    out += block.kind == BlockKind::kHeading ? "H:" : "P:";
    for (const TextRun& run : block.runs) {
      std::u32string text = run.text;
      for (char32_t& c : text) {
        if (c == U'\n') c = U'/';
      }
      out += run.annotation ? "{" + EncodeUtf8(text) + "}" : EncodeUtf8(text);
    }
  }
  return out;
}

inline std::string DescribePages(const std::vector<LaidOutPage>& pages) {
  std::string out;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) out += " | ";
    out += DescribeBlocks(pages[i].blocks);
  }
  return out;
}

}  // namespace quillwen::build::testing
