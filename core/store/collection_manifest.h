#pragma once

// The collection manifest "quillwen-manifest.txt", which our builder writes
// beside the data files, last, and the checks a reader makes with it. The
// formats cannot tell a file of another build from one of this build (index
// sets swapped, a header taken from another collection, a file left from an
// earlier build); the manifest can. Collections made by other tools have none,
// and are read on the formats' own checks alone.
//
// UTF-8 text, each line ending in LF:
//   quillwen collection manifest 1
//   builder VERSION              the builder that made the collection
//   build ID                     32 hex digits, new for every build
//   file NAME SIZE whole HASH    a data file of up to kWholeChecksumLimit bytes:
//                                its size and the hash of all of it
//   file NAME SIZE head HASH     a larger one: its size and the hash of its first
//                                kHeadChecksumBytes bytes
// HASH is 16 hex digits of the 64-bit FNV-1a hash. Names hold no white space.
// Lines of other kinds are passed over, so later builders may add some.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/data_fault.h"

namespace quillwen {

inline constexpr char kManifestFileName[] = "quillwen-manifest.txt";
inline constexpr char kManifestFirstLine[] = "quillwen collection manifest 1";
// Small files are hashed whole, large ones by their head, so that checking
// stays cheap (the volume store and the postings run to hundreds of MB).
inline constexpr uint64_t kWholeChecksumLimit = 4ull << 20;
inline constexpr uint64_t kHeadChecksumBytes = 64ull << 10;

struct ManifestFile {
  std::string name;
  uint64_t size = 0;
  bool whole = true;  // the hash is of the whole file, else of its head
  uint64_t hash = 0;

  bool operator==(const ManifestFile&) const = default;
};

struct Manifest {
  std::string builder;
  std::string build;
  std::vector<ManifestFile> files;

  bool operator==(const Manifest&) const = default;
};

// The names of a collection's data files, as the builder writes them.
std::vector<std::string> CollectionDataFileNames();

// The 64-bit FNV-1a hash of `bytes`, going on from `hash`.
inline constexpr uint64_t kFnv1aStart = 0xCBF29CE484222325ull;
uint64_t Fnv1a64(std::string_view bytes, uint64_t hash = kFnv1aStart);

// `folder`/`name` as the manifest describes it; nothing, with `fault`, when it
// cannot be read.
std::optional<ManifestFile> DescribeDataFile(const std::filesystem::path& folder,
                                             const std::string& name, DataFault* fault);

std::string FormatManifest(const Manifest& manifest);
// Nothing, with `problem`, when `text` is not a manifest.
std::optional<Manifest> ParseManifest(std::string_view text, std::string* problem);

// What a reader learns from the manifest of `folder`.
struct ManifestCheck {
  bool present = false;                    // the folder has a manifest
  std::optional<DataFault> unreadable;     // it has one, but it cannot be read or parsed
  std::string build;                       // its build identifier
  std::vector<std::string> foreign;        // files of another build (size or hash differ)
  std::vector<DataFault> unreadableFiles;  // files it lists that cannot be read (missing, ...)
};

// Checks every file the manifest of `folder` lists.
ManifestCheck CheckCollectionAgainstManifest(const std::filesystem::path& folder);

// The build identifier of the manifest in `folder`; empty without one. Cheap:
// for telling whether the collection was rebuilt since it was opened.
std::string ManifestBuildId(const std::filesystem::path& folder);

}  // namespace quillwen
