#pragma once

// The panel's catalogue: the record table indexed by record number, the contents
// graph of nodes, and the shape of the contents tree (which item each record's
// item hangs under). The GUI tree is built from the shape; everything that asks
// about the tree (range label, sibling moves) is answered here without widgets.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/common/message_sink.h"
#include "core/panel_model/contents_node.h"
#include "core/store/catalogue.h"

namespace quillwen {

class ContentsCatalogue {
 public:
  // The tree remembers the last item of each level in a table of this size;
  // records of level 20 or more hang at the top level of the tree.
  static constexpr int kTreeLevels = 20;

  ContentsCatalogue();

  // Empties everything, then loads folder/mvr.dir (writing the listing to
  // `listingPath`). A missing file is reported through `messages`.
  CatalogueLoadResult Load(const std::filesystem::path& folder, MessageSink& messages,
                           const std::filesystem::path& listingPath = kCatalogueListingFileName);

  // Appends one record as the next record number, placing its node in the graph
  // and its item in the tree. False when the table is full.
  bool AddRecord(const CatalogueRecord& record);

  // Record `number`; slot 0 and numbers outside the table read as all zeros.
  const CatalogueRecord& Record(int number) const;
  // The node made from record `number`; null for 0 and numbers not loaded.
  ContentsNodeTag* NodeOf(int number) const;

  // The first volume record (in record order) whose pages hold 0-based index
  // page `page`; 0 when none does.
  int VolumeRecordOf(uint32_t page) const;

  // The record number of the item that record `number`'s item hangs under, 0 for
  // the top level.
  int TreeParent(int number) const;
  // The items under record `number`'s item in order; 0 asks for the top level.
  const std::vector<int>& TreeChildren(int number) const;

  // The texts of the item and its ancestors, from the top down, joined by "\".
  std::u16string RangeLabel(int number) const;

  // Where the tree selection goes on "next volume": the next sibling of the
  // selected item, or else the first child of its parent's next sibling; 0 when
  // there is no such item.
  int NextVolumeTreeTarget(int selected) const;
  // On "previous volume": the previous sibling, or else the last child of the
  // parent's previous sibling; 0 when there is none.
  int PreviousVolumeTreeTarget(int selected) const;

  // The catalogue record table; slot 0 is never filled.
  std::vector<CatalogueRecord> m_NodeItem;
  // The next free record number: records are 1 to m_nNodeCount - 1.
  int m_nNodeCount = 1;
  // The root of the contents graph, "root" at level 0.
  std::unique_ptr<ContentsNodeTag> m_pRoot;

 private:
  int SiblingOf(int number, int step) const;

  std::vector<ContentsNodeTag*> nodes_;            // by record number
  std::vector<int> treeParents_;                   // by record number
  std::vector<std::vector<int>> treeChildren_;     // by record number, 0 = top level
  std::vector<int> lastTreeItemAtLevel_;           // record number, 0 = none
  std::vector<ContentsNodeTag*> lastNodeAtLevel_;  // the node a new level + 1 node attaches to
  ContentsNodeTag* lastVolume_ = nullptr;
  std::vector<std::unique_ptr<ContentsNodeTag>> orphans_;  // nodes that found no parent
};

}  // namespace quillwen
