#include "core/search/index.h"

#include <algorithm>

#include "core/common/little_endian.h"
#include "core/io/read_only_file.h"
#include "core/search/posting_cursor.h"
#include "core/search/variant_fit.h"

namespace quillwen {
namespace {

std::filesystem::path IndexSetBase(const std::filesystem::path& folder,
                                   std::u16string_view baseName, IndexScope scope) {
  std::filesystem::path base = folder / std::filesystem::path(std::u16string(baseName));
  base += IndexSetSuffix(scope);
  return base;
}

template <typename T>
void DecodeTable(const char* bytes, size_t entries, std::vector<T>& table) {
  table.resize(entries);
  for (size_t i = 0; i < entries; ++i) {
    if constexpr (sizeof(T) == 2) {
      table[i] = LoadLE16(bytes + 2 * i);
    } else {
      table[i] = LoadLE32(bytes + 4 * i);
    }
  }
}

template <typename T>
void Release(std::vector<T>& table) {
  std::vector<T>().swap(table);
}

}  // namespace

CIndex::~CIndex() { Close(); }

bool CIndex::FailOpen(DataFault fault) {
  lastFault_ = std::move(fault);
  if (messages_ != nullptr) messages_->ShowFault(kIndexOpenFailedMessage, lastFault_);
  Close();
  return false;
}

bool CIndex::Open(const std::filesystem::path& folder, std::u16string_view baseName,
                  IndexScope scope) {
  Close();
  lastFault_ = {};
  variantTableRefused_ = false;
  variantTableMissing_ = false;
  variantFault_ = {};
  DataFault variantsFault;
  variants_.LoadVariants(folder, &variantsFault);
  const std::filesystem::path base = IndexSetBase(folder, baseName, scope);
  std::filesystem::path headerPath = base;
  headerPath += kIndexHeaderSuffix;
  std::filesystem::path postingsPath = base;
  postingsPath += kIndexPostingsSuffix;
  postingsPath_ = postingsPath;
  last_ = SearchResult{};

  io::ReadOnlyFile header;
  if (!header.Open(headerPath)) return FailOpen(header.LastFault());
  const std::optional<uint64_t> headerSize = header.Size();
  if (!headerSize) return FailOpen(header.LastFault());
  if (*headerSize == 0) return FailOpen({headerPath, "empty"});
  if (*headerSize < kNextBlockOffset) {
    return FailOpen({headerPath, std::to_string(*headerSize) + " bytes, shorter than the " +
                                     std::to_string(kNextBlockOffset) + " bytes of its tables"});
  }
  // The two reserved tables between them are never consulted: they are passed over.
  std::vector<char> table(4 * kIdentifierCount);
  if (!header.ReadExactly(kFirstBlockOffset, table)) return FailOpen(header.LastFault());
  DecodeTable(table.data(), kIdentifierCount, firstBlock_);
  if (!header.ReadExactly(kLastPageOffset, table)) return FailOpen(header.LastFault());
  DecodeTable(table.data(), kIdentifierCount, lastPage_);

  if (!postings_.Map(postingsPath)) return FailOpen(postings_.LastFault());

  // Only entries of blocks the postings file has can ever be followed; reading no
  // more keeps a header padded with garbage from claiming memory.
  const uint64_t declared = (*headerSize - kNextBlockOffset) / 4;
  const size_t entries =
      static_cast<size_t>(std::min<uint64_t>(declared, BlockCountOf(postings_.Size())));
  std::vector<char> nextBlockBytes(4 * entries);
  if (!header.ReadExactly(kNextBlockOffset, nextBlockBytes)) return FailOpen(header.LastFault());
  DecodeTable(nextBlockBytes.data(), entries, nextBlock_);
  header.Close();

  if (const std::optional<uint32_t> group =
          FirstGroupNotFitting(variants_, firstBlock_, lastPage_)) {
    // Either file may be the wrong one; the header is named, since the table
    // is named by the message itself.
    variantFault_ = {headerPath, "its list of variant group " + std::to_string(*group + 1) +
                                     " does not fit " + kVariantTableFileName};
    variants_.Clear();
    variantTableRefused_ = true;
  } else if (variants_.Groups().empty() && IndexHasVariantGroups(firstBlock_)) {
    variantFault_ = variantsFault;
    variantTableMissing_ = true;
  }

  if (!fileList_.Open(folder, baseName)) return FailOpen(fileList_.LastFault());
  OpenPairIndex(base);
  open_ = true;
  return true;
}

void CIndex::OpenPairIndex(const std::filesystem::path& base) {
  std::filesystem::path path = base;
  path += kPairIndexSuffix;
  pairsDamaged_ = false;
  const ServedIndex served{postings_.Size(), PairIndexDigest(firstBlock_, lastPage_),
                           VariantGroupsDigest(variants_)};
  pairs_.Open(path, served);
}

void CIndex::Close() {
  Release(firstBlock_);
  Release(lastPage_);
  Release(nextBlock_);
  directories_.Clear();
  pairs_.Close();
  postings_.Unmap();
  fileList_.Close();
  open_ = false;
}

IndexTables CIndex::Tables() const {
  IndexTables tables;
  if (!open_) return tables;
  tables.firstBlock = firstBlock_.data();
  tables.lastPage = lastPage_.data();
  tables.postings.data = postings_.Data();
  tables.postings.size = postings_.Size();
  tables.postings.nextBlock = nextBlock_.data();
  tables.postings.nextBlockCount = static_cast<uint32_t>(nextBlock_.size());
  tables.postings.blockCount = BlockCountOf(postings_.Size());
  tables.directories = &directories_;
  if (UsesPairIndex()) tables.pairs = &pairs_;
  return tables;
}

}  // namespace quillwen
