#pragma once

// One query of the comparison: its terms, the engines that answer it besides
// ours, and what each run measured.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/search/query.h"

namespace quillwen::bench {

// The engines ours is measured against.
enum class Peer { kFts5, kXapian, kPlainScan };
inline constexpr std::array<Peer, 3> kPeers = {Peer::kFts5, Peer::kXapian, Peer::kPlainScan};
inline constexpr std::array<const char*, 3> kPeerNames = {"FTS5", "Xapian", "scan"};

inline size_t IndexOf(Peer peer) { return static_cast<size_t>(peer); }

struct QueryCase {
  std::string queryClass;
  std::vector<std::u16string> terms;
  SearchMethod method = SearchMethod::kAnd;
  // Neither FTS5 nor Xapian has "?" and "*" with our meaning: such terms go to
  // the plain scan alone, every other query to both engines.
  bool wildcard = false;
  // Xapian is left out of a run that asks (its database of a large collection
  // takes long to build).
  bool askXapian = true;

  std::vector<double> ours;                         // milliseconds per run
  std::array<std::vector<double>, 3> theirs;        // per peer, milliseconds per run
  std::array<bool, 3> agrees = {true, true, true};  // per peer: the same pages as ours
  size_t pages = 0;
  uint64_t postingBytes = 0;

  bool AskedOf(Peer peer) const {
    return wildcard == (peer == Peer::kPlainScan) && (askXapian || peer != Peer::kXapian);
  }
};

// The terms as typed: "and" joined by a space, "or" by " | ".
std::string Keywords(const QueryCase& query);

}  // namespace quillwen::bench
