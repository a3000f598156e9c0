#include "tools/builder/collection_builder.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "core/io/file_lock.h"
#include "core/io/read_only_file.h"
#include "core/search/character_id.h"
#include "core/search/index.h"
#include "core/search/pair_index_format.h"
#include "core/store/catalogue_format.h"
#include "core/store/collection_lock.h"
#include "core/store/collection_manifest.h"
#include "core/store/volume_store_format.h"
#include "core/writer/catalogue_writer.h"
#include "core/writer/manifest_writer.h"
#include "core/writer/pair_index_writer.h"
#include "core/writer/variant_table_writer.h"
#include "core/writer/volume_store_writer.h"
#include "tools/builder/build_limits.h"
#include "tools/builder/build_lock.h"
#include "tools/builder/folder_overlap.h"
#include "tools/builder/index_set_builder.h"
#include "tools/builder/page_html.h"
#include "tools/builder/page_positions.h"
#include "tools/builder/pair_candidates.h"
#include "tools/builder/pair_indexes.h"
#include "tools/builder/source_format.h"
#include "tools/builder/source_tree.h"
#include "tools/builder/staging_folder.h"
#include "tools/builder/utf8.h"
#include "tools/builder/variant_table_builder.h"

namespace quillwen::build {
namespace fs = std::filesystem;
namespace {

constexpr uint32_t kFirstPageNumber = 1;
// A volume file is read this much at a time.
constexpr size_t kVolumeSliceBytes = 256 * 1024;
constexpr IndexScope kScopes[] = {ScopeFullText, ScopeMainText, ScopeAnnotations};

// Where each volume's pages landed in the page table.
struct VolumePages {
  uint32_t firstEntry = 0;  // 0-based entry index
  uint32_t count = 0;
};

bool BuildVariantTable(const BuildOptions& options, VariantTableBuilder* table,
                       std::string* error) {
  for (const fs::path& file : options.unihanVariantFiles) {
    if (!table->ReadUnihanVariants(file, options.semanticVariants, error)) return false;
  }
  for (const fs::path& file : options.openCcFiles) {
    if (!table->ReadOpenCcCharacters(file, error)) return false;
  }
  table->Finish();
  return CheckVariantGroupCount(table->Groups().size(), error);
}

CatalogueRecord MakeRecord(std::u32string_view name, int32_t level, VolumePages pages) {
  return CatalogueRecord{EncodeUtf16(name), level, static_cast<int32_t>(pages.firstEntry + 1),
                         static_cast<int32_t>(pages.count),
                         static_cast<uint16_t>(kFirstPageNumber)};
}

// Categories and books cover the pages of all their volumes, which follow one
// another in the page table.
std::vector<CatalogueRecord> MakeCatalogue(const SourceTree& tree,
                                           const std::vector<VolumePages>& volumes) {
  std::vector<CatalogueRecord> records;
  size_t next = 0;
  for (const SourceCategory& category : tree.categories) {
    const size_t categoryIndex = records.size();
    records.emplace_back();
    VolumePages categoryPages{volumes[next].firstEntry, 0};
    for (const SourceBook& book : category.books) {
      const size_t bookIndex = records.size();
      records.emplace_back();
      VolumePages bookPages{volumes[next].firstEntry, 0};
      for (const SourceVolume& volume : book.volumes) {
        records.push_back(MakeRecord(volume.name, 3, volumes[next]));
        bookPages.count += volumes[next].count;
        ++next;
      }
      records[bookIndex] = MakeRecord(book.name, 2, bookPages);
      categoryPages.count += bookPages.count;
    }
    records[categoryIndex] = MakeRecord(category.name, 1, categoryPages);
  }
  return records;
}

class Builder {
 public:
  Builder(const BuildOptions& options, BuildSummary* summary, std::string* error)
      : options_(options),
        summary_(summary),
        error_(error),
        progress_(options.progress != nullptr ? options.progress : &nullProgress_) {}

  bool Run() {
    *summary_ = {};
    if (!CheckFoldersApart(options_.source, options_.target, error_)) return false;
    if (!ScanSourceTree(options_.source, &tree_, error_)) return false;
    if (!CheckTreeApartFromTarget(tree_, options_.target, error_)) return false;
    summary_->records = tree_.RecordCount();
    if (!CheckRecordCount(summary_->records, error_)) return false;
    for (const SourceCategory& category : tree_.categories) {
      summary_->categories += 1;
      summary_->books += category.books.size();
    }
    summary_->volumes = tree_.VolumeCount();

    progress_->BeginPhase("variant table", "");
    if (!BuildVariantTable(options_, &variants_, error_)) return false;
    progress_->EndPhase();
    progress_->BeginPhase("counting characters", "");
    if (!CommonestInSources(tree_, variants_, PairIndexOptions{}.maxCandidates, &pairCandidates_,
                            error_)) {
      return false;
    }
    progress_->EndPhase();
    summary_->variantGroups = variants_.Groups().size();
    for (const auto& group : variants_.Groups()) {
      summary_->largestVariantGroup = std::max(summary_->largestVariantGroup, group.size());
    }

    if (!LockTargetForBuilding()) return false;
    if (!staging_.Create(options_.target, error_)) return false;
    if (!WriteVariantTable(staging_.Path() / kVariantTableFileName, variants_.Groups(), error_)) {
      return false;
    }
    if (!WritePages()) return false;
    if (!WriteIndexSets()) return false;
    if (!WritePairIndexes()) return false;
    std::string catalogueError;
    if (!WriteCatalogue(staging_.Path() / kCatalogueFileName, MakeCatalogue(tree_, volumePages_),
                        &catalogueError)) {
      *error_ = "catalogue: " + catalogueError;
      return false;
    }
    // Last of all, the manifest: which files make this build.
    std::string manifestError;
    if (!WriteCollectionManifest(staging_.Path(), QUILLWEN_VERSION, NewBuildId(), &manifestError)) {
      *error_ = "manifest: " + manifestError;
      return false;
    }
    progress_->BeginPhase("moving into place", "");
    if (!MoveIntoPlace()) return false;
    progress_->EndPhase();
    return true;
  }

 private:
  // A second build into the same folder would interleave its moves with ours:
  // it stops at once. The lock goes when the build ends.
  bool LockTargetForBuilding() { return buildLock_.Take(options_.target, error_); }

  // The files of the new build replace the old ones while readers of ours wait
  // on the data folder's lock, so that none opens half of each. A target that
  // did not exist is the staging folder renamed, in one step.
  bool MoveIntoPlace() {
    std::vector<std::string> names = CollectionFileNames();
    names.push_back(kManifestFileName);
    std::error_code missing;
    const io::FileLock readersWait = fs::is_directory(options_.target, missing)
                                         ? io::FileLock::Exclusive(options_.target, true)
                                         : io::FileLock();
    return staging_.MoveInto(names, error_);
  }

  bool WritePages() {
    for (const SourceCategory& category : tree_.categories) {
      for (const SourceBook& book : category.books) {
        for (const SourceVolume& volume : book.volumes) {
          std::error_code ec;
          totalBytes_ += fs::file_size(volume.file, ec);
        }
      }
    }
    summary_->sourceBytes = totalBytes_;
    for (IndexScope scope : kScopes) {
      indexSets_[scope] = std::make_unique<IndexSetBuilder>(scope, variants_, staging_.Path());
      pairIndexes_[scope] =
          std::make_unique<PairIndexWriter>(pairCandidates_, !variants_.Groups().empty(),
                                            PairIndexOptions{.runFolder = staging_.Path(),
                                                             .runName = PairIndexFileName(scope),
                                                             .memory = options_.postingMemory / 3});
    }
    if (!store_.Open(staging_.Path(), kCollectionBaseName, {})) {
      *error_ = store_.Error();
      return false;
    }
    progress_->BeginPhase("pages", "pages");
    uint32_t volumeNumber = 0;
    for (const SourceCategory& category : tree_.categories) {
      for (const SourceBook& book : category.books) {
        const std::string bookName = EncodeUtf8(book.name);
        for (const SourceVolume& volume : book.volumes) {
          if (!WriteVolume(bookName, volume, ++volumeNumber)) return false;
        }
      }
    }
    if (!store_.Finish()) {
      *error_ = "volume store: " + store_.Error();
      return false;
    }
    progress_->EndPhase();
    return true;
  }

  // Reads, lays out and writes the volume a slice at a time: each page goes to
  // the store and the index sets as soon as it is full, so that a volume of any
  // size takes no more memory than a page and a slice besides the postings.
  bool WriteVolume(const std::string& bookName, const SourceVolume& volume, uint32_t volumeNumber) {
    const std::string where = volume.file.string();
    io::ReadOnlyFile file;
    if (!file.Open(volume.file)) {
      *error_ = where + ": cannot be read (" + file.LastFault().problem + ")";
      return false;
    }
    std::vector<char> slice(kVolumeSliceBytes);
    if (!CheckPageCountBound(file, where, slice)) return false;
    const std::string volumeName = EncodeUtf8(volume.name);
    const PageLabels labels{bookName, volumeName};
    VolumePages placed{static_cast<uint32_t>(summary_->pages), 0};
    PageFiller filler(options_.charactersPerPage, [&](LaidOutPage&& page) {
      return WritePage(page, where, labels, volumeNumber, &placed);
    });
    VolumeTextReader reader([&filler](BlockPart&& part) { return filler.Add(std::move(part)); });
    std::string parseError;
    uint64_t offset = 0;
    while (true) {
      const int64_t got = file.ReadSome(offset, slice);
      if (got < 0) {
        *error_ = where + ": cannot be read (" + file.LastFault().problem + ")";
        return false;
      }
      const std::string_view bytes(slice.data(), static_cast<size_t>(got));
      const bool fed = got == 0 ? reader.Finish(&parseError) && filler.Finish()
                                : reader.Feed(bytes, &parseError);
      if (!fed) {
        // A refused page has said why already.
        if (!reader.Stopped() && !parseError.empty()) *error_ = where + ": " + parseError;
        return false;
      }
      if (got == 0) break;
      offset += static_cast<uint64_t>(got);
      bytesDone_ += static_cast<uint64_t>(got);
      ReportProgress();
    }
    ReportProgress();
    volumePages_.push_back(placed);
    return true;
  }

  // No page holds more than the page size, so a volume with more positioned
  // characters than the largest page number allows pages for is refused before
  // a page of it is laid out; most are, and the rest at the first page too many.
  bool CheckPageCountBound(const io::ReadOnlyFile& file, const std::string& where,
                           std::vector<char>& slice) {
    PositionedCharacterBound bound;
    for (uint64_t offset = 0;;) {
      const int64_t got = file.ReadSome(offset, slice);
      if (got < 0) {
        *error_ = where + ": cannot be read (" + file.LastFault().problem + ")";
        return false;
      }
      if (got == 0) break;
      bound.Feed(std::string_view(slice.data(), static_cast<size_t>(got)));
      offset += static_cast<uint64_t>(got);
    }
    const uint64_t perPage = std::max<size_t>(1, options_.charactersPerPage);
    const uint64_t pages = std::max<uint64_t>(1, (bound.Count() + perPage - 1) / perPage);
    std::string limit;
    if (CheckPageNumber(kFirstPageNumber + pages - 1, &limit)) return true;
    *error_ = where + ": the volume has at least " + std::to_string(pages) + " pages; " + limit;
    return false;
  }

  bool WritePage(const LaidOutPage& laidOut, const std::string& where, const PageLabels& labels,
                 uint32_t volumeNumber, VolumePages* placed) {
    const uint32_t pageNumber = kFirstPageNumber + placed->count;
    std::string limit;
    if (!CheckPageNumber(pageNumber, &limit)) {
      *error_ = where + ": the volume has more than " +
                std::to_string(kMaxPageNumber - kFirstPageNumber + 1) + " pages; " + limit;
      return false;
    }
    const uint64_t entryIndex = summary_->pages;
    const std::string name = EntryName(volumeNumber, pageNumber);
    const std::string page =
        where + " page " + std::to_string(pageNumber) + " (entry " + name + ")";
    if (!CheckEntryIndex(entryIndex, &limit) || !CheckEntryName(name, kDefaultNameSize, &limit)) {
      *error_ = page + ": " + limit;
      return false;
    }
    if (!store_.AddPage(name, RenderStoredPage(laidOut, labels, pageNumber))) {
      *error_ = page + ": " + store_.Error();
      return false;
    }
    AssignPositions(laidOut, &positions_);
    for (IndexScope scope : kScopes) {
      const auto& characters = positions_.Of(scope);
      summary_->positions[scope] += characters.size();
      if (!indexSets_[scope]->AddPage(static_cast<uint32_t>(entryIndex), characters, &limit)) {
        *error_ = page + ": " + limit;
        return false;
      }
      pairPlaces_.clear();
      for (const PositionedCharacter& c : characters) {
        const int32_t id = CharacterId(c.codePoint);
        const int32_t group = variants_.GroupOf(c.codePoint);
        if (id < 0 && group < 0) continue;
        pairPlaces_.push_back(
            {c.position, id >= 0 ? static_cast<uint32_t>(id) : kNoIdentifier,
             group >= 0 ? VariantIdBase + static_cast<uint32_t>(group) : kNoIdentifier});
      }
      if (!pairIndexes_[scope]->AddPage(static_cast<uint32_t>(entryIndex), pairPlaces_)) {
        *error_ =
            page + ": " + IndexSetLabel(scope) + " pair index: " + pairIndexes_[scope]->Error();
        return false;
      }
    }
    ++summary_->pages;
    ++placed->count;
    return SpillWhenOverBudget();
  }

  void ReportProgress() {
    progress_->Update(
        totalBytes_ > 0 ? static_cast<double>(bytesDone_) / static_cast<double>(totalBytes_) : 1.0,
        summary_->pages);
  }

  // The three sets share the budget. When it is used up every set spills, so
  // that the next pages start from empty buffers.
  bool SpillWhenOverBudget() {
    uint64_t buffered = 0;
    for (const auto& set : indexSets_) buffered += set->BufferedBytes();
    if (buffered <= options_.postingMemory) return true;
    for (const auto& set : indexSets_) {
      const size_t before = set->RunsSpilled();
      if (!set->SpillRun(error_)) return false;
      summary_->postingRuns += set->RunsSpilled() - before;
    }
    return true;
  }

  bool WriteIndexSets() {
    progress_->BeginPhase("index sets", "");
    uint64_t done = 0;
    for (IndexScope scope : kScopes) {
      if (!indexSets_[scope]->Write(staging_.Path(), error_)) return false;
      summary_->postings[scope] = indexSets_[scope]->PostingCount();
      indexSets_[scope].reset();  // its memory is no longer needed
      ++done;
      progress_->Update(static_cast<double>(done) / 3.0, done);
    }
    progress_->EndPhase();
    return true;
  }

  // Each index set's pair index, from the index set just written and the pairs
  // gathered while the pages were laid out; the file may take as many bytes as
  // the set itself. The full text's is written beside the two others, which
  // together take about as long.
  bool WritePairIndexes() {
    progress_->BeginPhase("pair indexes", "");
    std::string fullTextError;
    bool fullTextWritten = false;
    std::thread fullText([&] { fullTextWritten = WritePairIndex(ScopeFullText, &fullTextError); });
    bool written = WritePairIndex(ScopeMainText, error_);
    if (written) progress_->Update(1.0 / 3.0, 1);
    written = written && WritePairIndex(ScopeAnnotations, error_);
    if (written) progress_->Update(2.0 / 3.0, 2);
    fullText.join();
    if (written && !fullTextWritten) {
      *error_ = fullTextError;
      written = false;
    }
    if (!written) return false;
    progress_->Update(1.0, 3);
    progress_->EndPhase();
    return true;
  }

  bool WritePairIndex(IndexScope scope, std::string* error) {
    DataFault fault;
    const std::optional<ServedIndex> served =
        DescribeServedIndex(staging_.Path(), kCollectionBaseNameWide, scope, &fault);
    if (!served) {
      *error = std::string(IndexSetLabel(scope)) + " index set: " + fault.Text();
      return false;
    }
    const std::string base = std::string(kCollectionBaseName) + IndexSetSuffix(scope);
    std::error_code ignored;
    const uint64_t setBytes =
        fs::file_size(staging_.Path() / (base + kIndexHeaderSuffix), ignored) +
        served->postingsSize;
    const fs::path file = staging_.Path() / PairIndexFileName(scope);
    if (!pairIndexes_[scope]->Write(file, *served, setBytes, &summary_->pairIndexes[scope])) {
      *error = std::string(IndexSetLabel(scope)) + " pair index: " + pairIndexes_[scope]->Error();
      return false;
    }
    pairIndexes_[scope].reset();
    return true;
  }

  const BuildOptions& options_;
  BuildSummary* summary_;
  std::string* error_;
  SilentProgress nullProgress_;
  Progress* progress_;
  SourceTree tree_;
  VariantTableBuilder variants_;
  // Held from before the staging folder is made until it is gone (members go
  // in the reverse order of their declaration).
  BuildLock buildLock_;
  StagingFolder staging_;
  VolumeStoreWriter store_;
  std::array<std::unique_ptr<IndexSetBuilder>, 3> indexSets_;
  std::vector<uint32_t> pairCandidates_;
  std::array<std::unique_ptr<PairIndexWriter>, 3> pairIndexes_;
  std::vector<PairPlace> pairPlaces_;
  PagePositions positions_;
  std::vector<VolumePages> volumePages_;
  uint64_t totalBytes_ = 0;
  uint64_t bytesDone_ = 0;
};

}  // namespace

const std::vector<std::string>& CollectionFileNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list = {kVariantTableFileName};
    for (IndexScope scope : kScopes) {
      const std::string base = std::string(kCollectionBaseName) + IndexSetSuffix(scope);
      list.push_back(base + kIndexHeaderSuffix);
      list.push_back(base + kIndexPostingsSuffix);
      list.push_back(base + kPairIndexSuffix);
    }
    list.push_back(std::string(kCollectionBaseName) + kPageTableSuffix);
    list.push_back(std::string(kCollectionBaseName) + kContentSuffix);
    // Last, so a catalogue present means the rest of the set is there.
    list.push_back(kCatalogueFileName);
    return list;
  }();
  return names;
}

bool BuildCollection(const BuildOptions& options, BuildSummary* summary, std::string* error) {
  return Builder(options, summary, error).Run();
}

}  // namespace quillwen::build
