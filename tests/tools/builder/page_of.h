#pragma once

// One page laid out from source text, for tests of what is made of a page.

#include <gtest/gtest.h>

#include <string>

#include "tools/builder/page_layout.h"
#include "tools/builder/source_format.h"

namespace quillwen::build::testing {

inline LaidOutPage PageOf(const std::string& source) {
  LaidOutPage page;
  std::string error;
  EXPECT_TRUE(ParseVolumeText(source, &page.blocks, &error)) << error;
  return page;
}

}  // namespace quillwen::build::testing
