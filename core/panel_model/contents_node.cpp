#include "core/panel_model/contents_node.h"

#include <algorithm>

namespace quillwen {

std::optional<PageSpan> CoveredSpan(int32_t docID, int32_t docNo) {
  if (docNo < 1) return std::nullopt;
  const uint64_t first = static_cast<uint32_t>(docID);
  const uint64_t last = std::min<uint64_t>(first + static_cast<uint64_t>(docNo) - 1, UINT32_MAX);
  return PageSpan{static_cast<uint32_t>(first), static_cast<uint32_t>(last)};
}

std::unique_ptr<ContentsNodeTag> MakeRootNode() {
  auto root = std::make_unique<ContentsNodeTag>();
  root->name = u"root";
  return root;
}

std::unique_ptr<ContentsNodeTag> MakeNode(const CatalogueRecord& record) {
  auto node = std::make_unique<ContentsNodeTag>();
  node->name = record.name;
  node->level = record.level;
  node->docID = record.docID;
  node->docNo = record.docNo;
  node->curFileName = record.curFileName;
  return node;
}

ContentsNodeTag* FindParentNode(ContentsNodeTag* n, const ContentsNodeTag& x) {
  if (n == nullptr) return nullptr;
  if (static_cast<int64_t>(n->level) == static_cast<int64_t>(x.level) - 1) return n;
  ContentsNodeTag* found = nullptr;
  for (const auto& child : n->children) {
    if (ContentsNodeTag* candidate = FindParentNode(child.get(), x)) found = candidate;
  }
  return found;
}

ContentsNodeTag* FindNodeByRecord(ContentsNodeTag* n, const CatalogueRecord& record) {
  if (n == nullptr) return nullptr;
  if (n->level == record.level && n->docID == record.docID && n->docNo == record.docNo &&
      n->curFileName == record.curFileName) {
    return n;
  }
  for (const auto& child : n->children) {
    if (ContentsNodeTag* found = FindNodeByRecord(child.get(), record)) return found;
  }
  return nullptr;
}

ContentsNodeTag* FindRecordNode(const ContentsNodeTag& root, const CatalogueRecord& record) {
  for (const auto& child : root.children) {
    if (ContentsNodeTag* found = FindNodeByRecord(child.get(), record)) return found;
  }
  return nullptr;
}

}  // namespace quillwen
