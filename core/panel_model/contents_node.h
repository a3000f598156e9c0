#pragma once

// The contents graph: one node per catalogue record, categories over books over
// volumes, with the volumes of one book linked to each other.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/store/catalogue_format.h"

namespace quillwen {

struct ContentsNodeTag {
  std::u16string name;
  int32_t level = 0;
  int32_t docID = 0;
  int32_t docNo = 0;
  uint16_t curFileName = 0;
  ContentsNodeTag* pParent = nullptr;
  ContentsNodeTag* pPrev = nullptr;                        // previous volume under the same parent
  ContentsNodeTag* pNext = nullptr;                        // next volume under the same parent
  std::vector<std::unique_ptr<ContentsNodeTag>> children;  // a node owns its subtree

  // Whether the node covers 0-based index page p: docID <= p + 1 <= docID + docNo - 1,
  // compared as unsigned numbers.
  bool Covers(uint32_t page) const {
    const uint32_t first = static_cast<uint32_t>(docID);
    const uint32_t last = first + static_cast<uint32_t>(docNo) - 1;
    return first <= page + 1 && page + 1 <= last;
  }
};

std::unique_ptr<ContentsNodeTag> MakeRootNode();
std::unique_ptr<ContentsNodeTag> MakeNode(const CatalogueRecord& record);

// The node of level x.level - 1 in n's subtree that comes last in depth-first
// order (the one created last); null when there is none.
ContentsNodeTag* FindParentNode(ContentsNodeTag* n, const ContentsNodeTag& x);

// The first node in depth-first order whose level, docID, docNo and curFileName
// equal the record's; null when there is none.
ContentsNodeTag* FindNodeByRecord(ContentsNodeTag* n, const CatalogueRecord& record);

}  // namespace quillwen
