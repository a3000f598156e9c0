#pragma once

// The contents graph: one node per catalogue record, categories over books over
// volumes, with the volumes of one book linked to each other.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/store/catalogue_format.h"

namespace quillwen {

// The 1-based entry numbers a record covers, docID to docID + docNo - 1, docID
// read as unsigned. Worked out without wrapping: a docNo below 1 covers nothing
// (a damaged record of zeros must not cover the whole collection), and the last
// number stops at the largest there is.
struct PageSpan {
  uint32_t first = 0;
  uint32_t last = 0;
};
std::optional<PageSpan> CoveredSpan(int32_t docID, int32_t docNo);

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

  // Whether the node covers 0-based index page p: docID <= p + 1 <= docID + docNo - 1
  // (CoveredSpan).
  bool Covers(uint32_t page) const {
    const std::optional<PageSpan> span = CoveredSpan(docID, docNo);
    const uint64_t number = uint64_t{page} + 1;
    return span && span->first <= number && number <= span->last;
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

// FindNodeByRecord below the root: the nodes made from records. The root is
// none, though an unknown record (all zeros) has its numbers.
ContentsNodeTag* FindRecordNode(const ContentsNodeTag& root, const CatalogueRecord& record);

}  // namespace quillwen
