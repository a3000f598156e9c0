#include "tools/sample/scaled_source.h"

#include <algorithm>
#include <system_error>

#include "core/io/read_only_file.h"
#include "core/io/write_file.h"
#include "tools/builder/utf8.h"

namespace quillwen::sample {
namespace fs = std::filesystem;
namespace {

// Past the last Han block, so a permutation is a plain table.
constexpr char32_t kPermutationSize = 0x2FA20;

// SplitMix64: the same sequence on every platform and library, so a scaled
// source can be made again byte for byte.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  uint64_t state_;
};

bool ReadVolume(const fs::path& file, std::u32string* text, std::string* error) {
  std::string bytes;
  if (!io::ReadWholeFile(file, bytes)) {
    *error = file.string() + ": cannot be read";
    return false;
  }
  text->clear();
  size_t badOffset = 0;
  if (!build::DecodeUtf8(bytes, *text, &badOffset)) {
    *error = file.string() + ": the text is not UTF-8 (byte " + std::to_string(badOffset) + ")";
    return false;
  }
  // A byte order mark inside a joined file would be text.
  if (!text->empty() && text->front() == 0xFEFF) text->erase(0, 1);
  return true;
}

// "00105 詩經・2": the number keeps the copies' categories in order and the
// suffix tells them apart in the contents.
std::string CategoryFolderName(const build::SourceCategory& category, uint32_t copy, size_t index) {
  std::string number = std::to_string(size_t{copy} * 1000 + index + 1);
  number.insert(0, number.size() < 5 ? 5 - number.size() : 0, '0');
  std::string name = number + " " + build::EncodeUtf8(category.name);
  if (copy > 0) name += "・" + std::to_string(copy + 1);
  return name;
}

class ScaledSourceWriter {
 public:
  ScaledSourceWriter(const ScaleOptions& options, ScaleSummary* summary, std::string* error)
      : options_(options), summary_(summary), error_(error) {}

  bool Run() {
    *summary_ = {};
    if (options_.copies == 0 || options_.bandSize == 0) {
      *error_ = "copies and band size must be at least 1";
      return false;
    }
    if (!build::ScanSourceTree(options_.source, &tree_, error_)) return false;
    if (!ChooseJoin()) return false;
    std::error_code ec;
    if (fs::exists(options_.target, ec)) {
      *error_ = options_.target.string() + ": exists already";
      return false;
    }
    if (!CountCharacters()) return false;
    for (uint32_t copy = 0; copy < options_.copies; ++copy) {
      permutation_ = MakeBandPermutation(counts_, options_.bandSize, copy);
      for (size_t c = 0; c < tree_.categories.size(); ++c) {
        const build::SourceCategory& category = tree_.categories[c];
        const fs::path folder = options_.target / CategoryFolderName(category, copy, c);
        for (const build::SourceBook& book : category.books) {
          if (!WriteBook(book, folder / book.folder.filename())) return false;
        }
      }
    }
    return true;
  }

 private:
  bool ChooseJoin() {
    size_t mostVolumes = 1;
    for (const auto& category : tree_.categories) {
      for (const auto& book : category.books)
        mostVolumes = std::max(mostVolumes, book.volumes.size());
    }
    uint32_t join = options_.join;
    if (join == 0) {
      for (join = 1; join < mostVolumes; ++join) {
        if (ScaledRecordCount(tree_, options_.copies, join) <= options_.maxRecords) break;
      }
    }
    const size_t records = ScaledRecordCount(tree_, options_.copies, join);
    if (records > options_.maxRecords) {
      *error_ = std::to_string(options_.copies) + " copies with " + std::to_string(join) +
                " volumes a file need " + std::to_string(records) +
                " catalogue records; the catalogue holds at most " +
                std::to_string(options_.maxRecords);
      return false;
    }
    summary_->join = join;
    summary_->records = records;
    return true;
  }

  bool CountCharacters() {
    std::vector<uint64_t> counts(kPermutationSize, 0);
    std::u32string text;
    for (const auto& category : tree_.categories) {
      for (const auto& book : category.books) {
        for (const auto& volume : book.volumes) {
          if (!ReadVolume(volume.file, &text, error_)) return false;
          for (char32_t c : text) {
            if (IsPermutedCharacter(c)) ++counts[c];
          }
        }
      }
    }
    for (char32_t c = 0; c < kPermutationSize; ++c) {
      if (counts[c] != 0) counts_.emplace(c, counts[c]);
    }
    return true;
  }

  bool WriteBook(const build::SourceBook& book, const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
      *error_ = folder.string() + ": cannot be created (" + ec.message() + ")";
      return false;
    }
    std::u32string joined;
    std::u32string text;
    for (size_t first = 0; first < book.volumes.size(); first += summary_->join) {
      joined.clear();
      const size_t end = std::min(book.volumes.size(), first + summary_->join);
      for (size_t v = first; v < end; ++v) {
        if (!ReadVolume(book.volumes[v].file, &text, error_)) return false;
        // A blank line ends the last paragraph of one volume before the next begins.
        if (v > first) joined += U"\n\n";
        joined += text;
      }
      for (char32_t& c : joined) {
        if (c < permutation_.size()) c = permutation_[c];
      }
      const std::string bytes = build::EncodeUtf8(joined);
      const fs::path file = folder / book.volumes[first].file.filename();
      std::string problem;
      if (!io::WriteWholeFile(file, bytes, io::FileAccess::kShared, &problem)) {
        *error_ = file.string() + ": cannot be written (" + problem + ")";
        return false;
      }
      summary_->volumeFiles += 1;
      summary_->bytes += bytes.size();
    }
    return true;
  }

  const ScaleOptions& options_;
  ScaleSummary* summary_;
  std::string* error_;
  build::SourceTree tree_;
  std::map<char32_t, uint64_t> counts_;
  std::vector<char32_t> permutation_;
};

}  // namespace

bool IsPermutedCharacter(char32_t c) {
  return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0x20000 && c <= 0x2A6DF) || (c >= 0x2F800 && c <= 0x2FA1F);
}

std::vector<char32_t> MakeBandPermutation(const std::map<char32_t, uint64_t>& counts,
                                          size_t bandSize, uint32_t seed) {
  std::vector<char32_t> permutation(kPermutationSize);
  for (char32_t c = 0; c < kPermutationSize; ++c) permutation[c] = c;
  if (seed == 0 || bandSize < 2) return permutation;
  std::vector<std::pair<char32_t, uint64_t>> ranked;
  for (const auto& [c, count] : counts) {
    if (c < kPermutationSize && IsPermutedCharacter(c)) ranked.emplace_back(c, count);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  Random random(seed);
  std::vector<char32_t> band;
  for (size_t start = 0; start < ranked.size(); start += bandSize) {
    const size_t end = std::min(ranked.size(), start + bandSize);
    band.clear();
    for (size_t i = start; i < end; ++i) band.push_back(ranked[i].first);
    for (size_t i = band.size(); i > 1; --i) {
      std::swap(band[i - 1], band[random.Next() % i]);
    }
    for (size_t i = start; i < end; ++i) permutation[ranked[i].first] = band[i - start];
  }
  return permutation;
}

size_t ScaledRecordCount(const build::SourceTree& tree, uint32_t copies, uint32_t join) {
  size_t records = 0;
  for (const auto& category : tree.categories) {
    records += 1 + category.books.size();
    for (const auto& book : category.books) {
      records += (book.volumes.size() + join - 1) / join;
    }
  }
  return records * copies;
}

bool MakeScaledSource(const ScaleOptions& options, ScaleSummary* summary, std::string* error) {
  return ScaledSourceWriter(options, summary, error).Run();
}

}  // namespace quillwen::sample
