#include "bench/compare/compare_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "core/encoding/codeconverter.h"
#include "core/search/code_points.h"

namespace quillwen::bench {
namespace {

constexpr int kQueryColumns = 16;

// The best of the runs: on a shared machine a run can only be slowed down (by
// another process taking the core), never sped up.
double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// `text` padded with spaces to `columns` terminal columns; ideographs and
// other wide characters take two.
std::string Padded(const std::string& text, int columns) {
  int width = 0;
  for (const char32_t c : ToCodePoints(Utf8ToUtf16(text))) width += c >= 0x2E80 ? 2 : 1;
  return text + std::string(static_cast<size_t>(std::max(0, columns - width)), ' ');
}

// The fastest peer that found our pages, if any did.
std::optional<Peer> BestCorrectPeer(const QueryCase& query) {
  std::optional<Peer> best;
  for (const Peer peer : kPeers) {
    if (!query.AskedOf(peer) || !query.agrees[IndexOf(peer)]) continue;
    if (!best || Best(query.theirs[IndexOf(peer)]) < Best(query.theirs[IndexOf(*best)]))
      best = peer;
  }
  return best;
}

// Sums of logarithms, for geometric means.
struct LogMean {
  double sum = 0;
  int count = 0;

  void Add(double ratio) {
    if (ratio <= 0) return;
    sum += std::log(ratio);
    ++count;
  }
  std::string Text() const {
    if (count == 0) return "-";
    char out[32];
    std::snprintf(out, sizeof out, "%.3g", std::exp(sum / count));
    return out;
  }
};

struct ClassMeans {
  std::array<LogMean, 3> perPeer;
  LogMean best;
};

}  // namespace

void PrintReport(const std::vector<QueryCase>& queries, int repetitions) {
  std::printf(
      "\nbest of %d runs each, milliseconds; \"!\" marks a peer whose pages differ from ours,\n"
      "\"-\" one not asked (FTS5 and Xapian have no '?' or '*' with our meaning)\n",
      repetitions);
  std::printf("%s %8s %9s  %9s  %9s  %9s  %-7s %9s\n", Padded("query", kQueryColumns).c_str(),
              "pages", "ours", kPeerNames[0], kPeerNames[1], kPeerNames[2], "best", "ours/best");
  std::map<std::string, ClassMeans> means;
  std::vector<std::string> order;
  for (const QueryCase& query : queries) {
    if (means.find(query.queryClass) == means.end()) {
      order.push_back(query.queryClass);
      std::printf("-- %s\n", query.queryClass.c_str());
    }
    ClassMeans& classMeans = means[query.queryClass];
    const double ours = Best(query.ours);
    std::printf("%s %8zu %9.3f ", Padded(Keywords(query), kQueryColumns).c_str(), query.pages,
                ours);
    for (const Peer peer : kPeers) {
      if (!query.AskedOf(peer)) {
        std::printf(" %9s ", "-");
        continue;
      }
      const double theirs = Best(query.theirs[IndexOf(peer)]);
      const bool agrees = query.agrees[IndexOf(peer)];
      std::printf(" %9.3f%c", theirs, agrees ? ' ' : '!');
      if (agrees && theirs > 0) classMeans.perPeer[IndexOf(peer)].Add(ours / theirs);
    }
    const std::optional<Peer> best = BestCorrectPeer(query);
    if (best) {
      const double ratio = ours / Best(query.theirs[IndexOf(*best)]);
      classMeans.best.Add(ratio);
      std::printf(" %-7s %9.3g\n", kPeerNames[IndexOf(*best)], ratio);
    } else {
      std::printf(" %-7s %9s\n", "none", "-");
    }
  }

  std::printf("\ngeometric mean of ours / peer per class (below 1: ours is faster)\n");
  std::printf("%-30s %9s %9s %9s %9s\n", "class", kPeerNames[0], kPeerNames[1], kPeerNames[2],
              "best");
  for (const std::string& queryClass : order) {
    const ClassMeans& classMeans = means[queryClass];
    std::printf("%-30s %9s %9s %9s %9s\n", queryClass.c_str(), classMeans.perPeer[0].Text().c_str(),
                classMeans.perPeer[1].Text().c_str(), classMeans.perPeer[2].Text().c_str(),
                classMeans.best.Text().c_str());
  }
}

}  // namespace quillwen::bench
