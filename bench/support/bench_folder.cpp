#include "bench/support/bench_folder.h"

#include <cstdio>
#include <cstdlib>

namespace quillwen::bench {

BenchFolder::BenchFolder() {
  if (folder_.Valid()) return;
  std::fprintf(stderr, "cannot create a private folder under the temporary folder\n");
  std::exit(1);
}

}  // namespace quillwen::bench
