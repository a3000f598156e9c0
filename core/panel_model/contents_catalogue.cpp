#include "core/panel_model/contents_catalogue.h"

#include <algorithm>

namespace quillwen {
namespace {

constexpr int kRecordSlots = kMaxCatalogueRecords + 1;

}  // namespace

ContentsCatalogue::ContentsCatalogue() {
  m_NodeItem.resize(kRecordSlots);
  nodes_.assign(kRecordSlots, nullptr);
  treeParents_.assign(kRecordSlots, 0);
  treeChildren_.resize(kRecordSlots);
  lastTreeItemAtLevel_.assign(kTreeLevels, 0);
  m_pRoot = MakeRootNode();
  lastNodeAtLevel_.assign(kRecordSlots + 1, nullptr);
  lastNodeAtLevel_[0] = m_pRoot.get();
}

CatalogueLoadResult ContentsCatalogue::Load(const std::filesystem::path& folder,
                                            MessageSink& messages,
                                            const std::filesystem::path& listingPath) {
  *this = ContentsCatalogue();
  return LoadCatalogue(
      folder, [this](int, const CatalogueRecord& record) { AddRecord(record); }, messages,
      listingPath);
}

bool ContentsCatalogue::AddRecord(const CatalogueRecord& record) {
  if (m_nNodeCount >= kRecordSlots) return false;
  const int number = m_nNodeCount;
  m_NodeItem[number] = record;

  // The parent is the node of the level above that was attached last: the node a
  // depth-first search from the root for that level finds last (FindParentNode),
  // kept per level so that a 9999-record catalogue loads without 9999 searches.
  // Nodes that found no parent are not in the graph and are never parents.
  std::unique_ptr<ContentsNodeTag> owned = MakeNode(record);
  ContentsNodeTag* node = owned.get();
  const int64_t parentLevel = int64_t{record.level} - 1;
  ContentsNodeTag* parent =
      parentLevel >= 0 && parentLevel < static_cast<int64_t>(lastNodeAtLevel_.size())
          ? lastNodeAtLevel_[parentLevel]
          : nullptr;
  if (record.level == 3) {
    if (lastVolume_ != nullptr && parent != nullptr && lastVolume_->pParent == parent) {
      lastVolume_->pNext = node;
      node->pPrev = lastVolume_;
    }
    lastVolume_ = node;
  }
  node->pParent = parent;
  nodes_[number] = node;
  if (parent != nullptr) {
    parent->children.push_back(std::move(owned));
    if (record.level < static_cast<int64_t>(lastNodeAtLevel_.size()))
      lastNodeAtLevel_[record.level] = node;
  } else {
    // A record with no parent belongs to no node's children; it is kept here so
    // that the record still has its node.
    orphans_.push_back(std::move(owned));
  }

  // The tree hangs each item under the last item of the level above; the top
  // level when there is none or the level lies outside the table.
  int treeParent = 0;
  if (record.level > 1 && record.level - 1 < kTreeLevels)
    treeParent = lastTreeItemAtLevel_[record.level - 1];
  treeParents_[number] = treeParent;
  treeChildren_[treeParent].push_back(number);
  if (record.level >= 0 && record.level < kTreeLevels) lastTreeItemAtLevel_[record.level] = number;

  ++m_nNodeCount;
  return true;
}

const CatalogueRecord& ContentsCatalogue::Record(int number) const {
  static const CatalogueRecord kEmpty;
  if (number <= 0 || number >= m_nNodeCount) return kEmpty;
  return m_NodeItem[number];
}

ContentsNodeTag* ContentsCatalogue::NodeOf(int number) const {
  if (number <= 0 || number >= m_nNodeCount) return nullptr;
  return nodes_[number];
}

int ContentsCatalogue::TreeParent(int number) const {
  if (number <= 0 || number >= m_nNodeCount) return 0;
  return treeParents_[number];
}

const std::vector<int>& ContentsCatalogue::TreeChildren(int number) const {
  static const std::vector<int> kNone;
  if (number < 0 || number >= m_nNodeCount) return kNone;
  return treeChildren_[number];
}

std::u16string ContentsCatalogue::RangeLabel(int number) const {
  std::vector<int> chain;
  for (int item = number; item > 0 && item < m_nNodeCount; item = treeParents_[item])
    chain.push_back(item);
  std::u16string label;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (it != chain.rbegin()) label += u'\\';
    label += m_NodeItem[*it].name;
  }
  return label;
}

int ContentsCatalogue::VolumeRecordOf(uint32_t page) const {
  for (int number = 1; number < m_nNodeCount; ++number) {
    const ContentsNodeTag* node = NodeOf(number);
    if (node != nullptr && node->level == 3 && node->Covers(page)) return number;
  }
  return 0;
}

int ContentsCatalogue::SiblingOf(int number, int step) const {
  if (number <= 0 || number >= m_nNodeCount) return 0;
  const std::vector<int>& siblings = treeChildren_[treeParents_[number]];
  const auto at = std::find(siblings.begin(), siblings.end(), number);
  const std::ptrdiff_t index = (at - siblings.begin()) + step;
  if (index < 0 || index >= static_cast<std::ptrdiff_t>(siblings.size())) return 0;
  return siblings[static_cast<size_t>(index)];
}

int ContentsCatalogue::NextVolumeTreeTarget(int selected) const {
  if (const int next = SiblingOf(selected, +1)) return next;
  const int parentNext = SiblingOf(TreeParent(selected), +1);
  if (parentNext == 0 || treeChildren_[parentNext].empty()) return 0;
  return treeChildren_[parentNext].front();
}

int ContentsCatalogue::PreviousVolumeTreeTarget(int selected) const {
  if (const int previous = SiblingOf(selected, -1)) return previous;
  const int parentPrevious = SiblingOf(TreeParent(selected), -1);
  if (parentPrevious == 0 || treeChildren_[parentPrevious].empty()) return 0;
  return treeChildren_[parentPrevious].back();
}

}  // namespace quillwen
