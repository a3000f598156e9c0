#include "core/writer/index_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/common/little_endian.h"
#include "core/search/index_format.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out.push_back(static_cast<char>(v));
  return out;
}

class IndexWriterTest : public ::testing::Test {
 protected:
  void Write(IndexWriter& writer) {
    ASSERT_TRUE(writer.Write(dir_.path(), "Index")) << writer.Error();
  }
  std::string Header() const { return ReadFileBytes(dir_ / "Index-idx.h"); }
  std::string Postings() const { return ReadFileBytes(dir_ / "Index-idx.m"); }
  static uint32_t Entry(const std::string& header, size_t tableOffset, size_t index) {
    return LoadLE32(header.data() + tableOffset + 4 * index);
  }

  // Reassembles the list of `id` by following FirstBlock and NextBlock.
  std::string ListBytes(uint32_t id, size_t blocks) const {
    const std::string header = Header();
    const std::string postings = Postings();
    std::string list;
    uint32_t block = Entry(header, kFirstBlockOffset, id);
    for (size_t i = 0; i < blocks; ++i) {
      list += postings.substr(size_t{block} * kBlockSize, kBlockSize);
      block = Entry(header, kNextBlockOffset, block);
    }
    return list;
  }

  TempDir dir_;
};

TEST_F(IndexWriterTest, WritesTheTwoPageExampleByteForByte) {
  IndexWriter writer;
  const std::vector<uint32_t> page3{5, 9};
  const std::vector<uint32_t> page130{200};
  const std::vector<uint32_t> page20000{70000};
  ASSERT_TRUE(writer.AddPage(7, 3, page3)) << writer.Error();
  ASSERT_TRUE(writer.AddPage(7, 130, page130)) << writer.Error();
  ASSERT_TRUE(writer.AddPage(9, 20000, page20000)) << writer.Error();
  Write(writer);

  const std::string header = Header();
  ASSERT_EQ(header.size(), kNextBlockOffset + 2 * 4);
  EXPECT_EQ(Entry(header, kFirstBlockOffset, 7), 0u);
  EXPECT_EQ(Entry(header, kFirstBlockOffset, 9), 1u);
  EXPECT_EQ(Entry(header, kFirstBlockOffset, 8), kNoBlock);
  EXPECT_EQ(Entry(header, kLastPageOffset, 7), 130u);
  EXPECT_EQ(Entry(header, kLastPageOffset, 9), 20000u);
  EXPECT_EQ(Entry(header, kLastPageOffset, 8), 0u);
  EXPECT_EQ(header.substr(kReserved16Offset, kReserved16Bytes + kReserved32Bytes),
            std::string(kReserved16Bytes + kReserved32Bytes, '\0'));

  const std::string postings = Postings();
  ASSERT_EQ(postings.size(), 2 * kBlockSize);
  EXPECT_EQ(postings.substr(0, 10),
            Bytes({0x03, 0x02, 0x00, 0x05, 0x04, 0x7F, 0x02, 0x00, 0x80, 0xC8}));
  EXPECT_EQ(postings.substr(10, kBlockSize - 10), std::string(kBlockSize - 10, '\0'));
  EXPECT_EQ(postings.substr(kBlockSize, 8),
            Bytes({0xC0, 0x4E, 0x20, 0x03, 0x00, 0xC1, 0x11, 0x70}));
}

TEST(AppendVarNumTest, UsesTheShortestForm) {
  // clang-format off
  const struct {
    uint32_t value;
    std::string bytes;
  } cases[] = {
      {0, Bytes({0x00})},
      {127, Bytes({0x7F})},
      {128, Bytes({0x80, 0x80})},
      {200, Bytes({0x80, 0xC8})},
      {16383, Bytes({0xBF, 0xFF})},
      {16384, Bytes({0xC0, 0x40, 0x00})},
      {70000, Bytes({0xC1, 0x11, 0x70})},
      {4194303, Bytes({0xFF, 0xFF, 0xFF})},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string out = "x";
    AppendVarNum(out, c.value);
    EXPECT_EQ(out, "x" + c.bytes) << c.value;
  }
}

TEST_F(IndexWriterTest, ChainsAShuffledListThroughNextBlock) {
  // Three pages of 3000 two-byte deltas: about 18 KB, five blocks.
  IndexWriter plain;
  IndexWriter shuffled({.shuffleSeed = 12345});
  std::vector<uint32_t> positions(3000);
  for (uint32_t i = 0; i < positions.size(); ++i) positions[i] = 200 * (i + 1);
  for (const uint32_t page : {1u, 40u, 41u}) {
    ASSERT_TRUE(plain.AddPage(5, page, positions)) << plain.Error();
    ASSERT_TRUE(shuffled.AddPage(5, page, positions)) << shuffled.Error();
  }
  const std::vector<uint32_t> small{1};
  ASSERT_TRUE(plain.AddPage(3, 0, small));
  ASSERT_TRUE(shuffled.AddPage(3, 0, small));

  Write(plain);
  const std::string inOrder = ListBytes(5, 5);
  EXPECT_EQ(Entry(Header(), kFirstBlockOffset, 5), 1u);  // after identifier 3's block

  ASSERT_TRUE(shuffled.Write(dir_.path(), "Index")) << shuffled.Error();
  EXPECT_EQ(ListBytes(5, 5), inOrder);
  EXPECT_EQ(Postings().size(), 6 * kBlockSize);
  // The chain does not simply run on from block to block, and every block is used once.
  const std::string header = Header();
  std::set<uint32_t> seen{Entry(header, kFirstBlockOffset, 3)};
  bool outOfOrder = false;
  uint32_t block = Entry(header, kFirstBlockOffset, 5);
  for (int i = 0; i < 5; ++i) {
    seen.insert(block);
    const uint32_t next = Entry(header, kNextBlockOffset, block);
    if (i < 4) outOfOrder |= next != block + 1;
    if (i == 4) {
      EXPECT_EQ(next, kNoBlock);
    }
    block = next;
  }
  EXPECT_TRUE(outOfOrder);
  EXPECT_EQ(seen.size(), 6u);
}

TEST_F(IndexWriterTest, AListFillingWholeBlocksTakesNoExtraBlock) {
  IndexWriter writer;
  // Header 3 bytes + 4093 one-byte deltas: exactly one block.
  std::vector<uint32_t> positions(kBlockSize - 3);
  for (uint32_t i = 0; i < positions.size(); ++i) positions[i] = i;
  ASSERT_TRUE(writer.AddPage(0, 0, positions)) << writer.Error();
  Write(writer);
  EXPECT_EQ(Postings().size(), kBlockSize);
  EXPECT_EQ(Header().size(), kNextBlockOffset + 4);
}

TEST_F(IndexWriterTest, RefusesEveryBrokenLimitAndKeepsTheList) {
  std::vector<uint32_t> tooManyBytes(65536);
  for (uint32_t i = 0; i < tooManyBytes.size(); ++i) tooManyBytes[i] = i + 1;
  // clang-format off
  const struct {
    const char* name;
    uint32_t id;
    uint32_t page;
    std::vector<uint32_t> positions;
    const char* error;
  } cases[] = {
      {"identifier out of range", 100000, 9, {1}, "not below 100000"},
      {"no positions", 1, 9, {}, "at least one position"},
      {"same page again", 1, 4, {1}, "pages must ascend"},
      {"earlier page", 1, 3, {1}, "pages must ascend"},
      {"page delta too large", 1, 4 + 4194304, {1}, "page delta 4194304"},
      {"first page too large", 2, 4194304, {1}, "page delta 4194304"},
      {"positions not ascending", 1, 9, {5, 5}, "positions must ascend strictly"},
      {"position delta too large", 1, 9, {1, 4194305}, "position delta 4194304"},
      {"first position too large", 1, 9, {4194304}, "position delta 4194304"},
      {"position bytes beyond 65535", 1, 9, tooManyBytes, "65536 bytes"},
  };
  // clang-format on
  IndexWriter writer;
  const std::vector<uint32_t> one{1};
  ASSERT_TRUE(writer.AddPage(1, 4, one));
  for (const auto& c : cases) {
    EXPECT_FALSE(writer.AddPage(c.id, c.page, c.positions)) << c.name;
    EXPECT_NE(writer.Error().find(c.error), std::string::npos) << c.name << ": " << writer.Error();
  }
  // The limits that still fit.
  std::vector<uint32_t> fullPage(65535);
  for (uint32_t i = 0; i < fullPage.size(); ++i) fullPage[i] = i + 1;
  const std::vector<uint32_t> far{4194303};
  EXPECT_TRUE(writer.AddPage(1, 4 + 4194303, far)) << writer.Error();
  EXPECT_TRUE(writer.AddPage(99999, 0, fullPage)) << writer.Error();
  Write(writer);
  // Identifier 1 holds exactly its two good entries: 04 01 00 01, FF FF FF 03 00 FF FF FF.
  EXPECT_EQ(Postings().substr(0, 12),
            Bytes({0x04, 0x01, 0x00, 0x01, 0xFF, 0xFF, 0xFF, 0x03, 0x00, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Postings()[12], '\0');
  EXPECT_EQ(Entry(Header(), kFirstBlockOffset, 2), kNoBlock);
}

TEST_F(IndexWriterTest, ReportsAFolderItCannotWriteTo) {
  IndexWriter writer;
  const std::vector<uint32_t> one{1};
  ASSERT_TRUE(writer.AddPage(1, 0, one));
  EXPECT_FALSE(writer.Write(dir_ / "missing", "Index"));
  EXPECT_NE(writer.Error().find("cannot be written (No such file or directory)"), std::string::npos)
      << writer.Error();
}

TEST_F(IndexWriterTest, NamesEachFileItCannotWriteAndFollowsNoLinkPlantedThere) {
  const std::vector<uint32_t> one{1};
  for (const char* suffix : {kIndexHeaderSuffix, kIndexPostingsSuffix}) {
    TempDir dir;
    const std::filesystem::path file = dir / (std::string("Index") + suffix);
    std::filesystem::create_symlink(dir / "elsewhere", file);
    IndexWriter writer;
    ASSERT_TRUE(writer.AddPage(1, 0, one));
    EXPECT_FALSE(writer.Write(dir.path(), "Index"));
    EXPECT_EQ(writer.Error(),
              file.string() + ": cannot be written (a symbolic link stands in its place)");
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere")) << suffix;
  }
}

// Runs `work` in a child process whose files may grow to `limit` bytes, as on a
// disk that fills up there, and returns the error text it ends with.
std::string UnderFileSizeLimit(rlim_t limit, const std::function<std::string()>& work) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    const rlimit fileSize{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &fileSize);
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    const std::string error = work();
    const bool sent =
        ::write(pipeEnds[1], error.data(), error.size()) == static_cast<ssize_t>(error.size());
    ::_exit(sent ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  std::string error;
  char buffer[512];
  ssize_t n = 0;
  while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
    error.append(buffer, static_cast<size_t>(n));
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  return error;
}

struct FileSizeLimitCase {
  const char* name;
  rlim_t limit;
  bool spill;         // spill a run before writing the index set
  std::string error;  // after the folder
};

TEST(IndexWriterFullDiskTest, NamesTheFileAndTheSystemsReason) {
  // About 3 MB of postings: the header (1.4 MB and 4 bytes a block) fits 2 MB, the postings do not.
  std::vector<uint32_t> positions(60000);
  for (size_t i = 0; i < positions.size(); ++i) positions[i] = static_cast<uint32_t>(i + 1);
  const FileSizeLimitCase cases[] = {
      {"postings", 2 << 20, false, "Index-idx.m: cannot be written (File too large)"},
      {"header", 1 << 20, false, "Index-idx.h: cannot be written (File too large)"},
      {"run", 1 << 20, true, "Index.run1: the posting run cannot be written (File too large)"},
  };
  for (const FileSizeLimitCase& c : cases) {
    TempDir dir;
    const std::string error = UnderFileSizeLimit(c.limit, [&] {
      IndexWriter writer({.runFolder = dir.path(), .runName = "Index"});
      for (uint32_t page = 0; page < 50; ++page) {
        if (!writer.AddPage(7, page, positions)) return "unexpected: " + writer.Error();
      }
      if (c.spill && writer.SpillRun()) return std::string("spilled");
      if (!c.spill && writer.Write(dir.path(), "Index")) return std::string("written");
      return writer.Error();
    });
    EXPECT_EQ(error, (dir / c.error).string()) << c.name;
  }
}

// A fixture with lists of every shape: one entry, many entries, entries longer
// than a block, and identifiers that skip pages, so that spilled pieces end in
// the middle of entries, VarNums and blocks.
struct Posting {
  uint32_t id;
  uint32_t page;
  std::vector<uint32_t> positions;
};

std::vector<Posting> MixedPostings() {
  std::vector<Posting> postings;
  for (uint32_t page = 0; page < 40; ++page) {
    for (const uint32_t id : {0u, 7u, 300u, 88065u, 99999u}) {
      if ((page + id) % 3 == 1) continue;
      std::vector<uint32_t> positions;
      const uint32_t count = id == 300 ? 2500 + page : 1 + (page * id) % 9;
      for (uint32_t i = 0; i < count; ++i) positions.push_back(3 + i * (1 + id % 200));
      postings.push_back({id, page * page, positions});
    }
  }
  return postings;
}

class IndexWriterSpillTest : public IndexWriterTest {
 protected:
  // The two files written from `postings`, spilling before the posting whose
  // place is in `spillBefore`.
  std::pair<std::string, std::string> Files(const std::vector<Posting>& postings,
                                            const std::set<size_t>& spillBefore,
                                            uint32_t shuffleSeed = 0, size_t maxRuns = 64) {
    TempDir out;
    IndexWriter writer({.shuffleSeed = shuffleSeed, .runFolder = runs_.path(), .maxRuns = maxRuns});
    for (size_t i = 0; i <= postings.size(); ++i) {
      if (spillBefore.count(i) != 0) {
        EXPECT_TRUE(writer.SpillRun()) << writer.Error();
        EXPECT_EQ(writer.BufferedBytes(), 0u);
        EXPECT_LE(writer.RunCount(), maxRuns);
        EXPECT_EQ(RunFiles().size(), writer.RunCount());
      }
      if (i < postings.size()) {
        EXPECT_TRUE(writer.AddPage(postings[i].id, postings[i].page, postings[i].positions))
            << writer.Error();
      }
    }
    runsWritten_ = writer.RunsSpilled();
    EXPECT_TRUE(writer.Write(out.path(), "Index")) << writer.Error();
    EXPECT_TRUE(RunFiles().empty()) << "the runs go once the set is written";
    return {ReadFileBytes(out / "Index-idx.h"), ReadFileBytes(out / "Index-idx.m")};
  }

  std::vector<std::string> RunFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(runs_.path()))
      names.push_back(entry.path().filename().string());
    return names;
  }

  TempDir runs_;
  size_t runsWritten_ = 0;
};

TEST_F(IndexWriterSpillTest, SpillingAnywhereWritesTheSameFiles) {
  const std::vector<Posting> postings = MixedPostings();
  const auto unspilled = Files(postings, {});
  ASSERT_EQ(runsWritten_, 0u);
  ASSERT_GT(unspilled.second.size(), 20 * kBlockSize);  // lists of many blocks
  std::set<size_t> everyPosting, everyThird;
  for (size_t i = 1; i < postings.size(); ++i) everyPosting.insert(i);
  for (size_t i = 1; i < postings.size(); i += 3) everyThird.insert(i);
  // clang-format off
  const struct {
    const char* name;
    std::set<size_t> spillBefore;
    size_t runs;
    size_t maxRuns = 64;
  } cases[] = {
      {"only before writing", {postings.size()}, 1},
      {"after the first posting", {1}, 1},
      {"twice in a row", {5, 5, 6}, 2},
      {"after every posting", everyPosting, postings.size() - 1},
      {"after every third posting", everyThird, everyThird.size()},
      {"before anything was added", {0}, 0},
      {"after every posting, merging runs beyond 3", everyPosting, postings.size() - 1, 3},
      {"after every third posting, merging runs beyond 2", everyThird, everyThird.size(), 2},
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto spilled = Files(postings, c.spillBefore, 0, c.maxRuns);
    EXPECT_EQ(runsWritten_, c.runs) << c.name;
    EXPECT_TRUE(spilled.first == unspilled.first) << c.name << ": the header differs";
    EXPECT_TRUE(spilled.second == unspilled.second) << c.name << ": the postings differ";
  }
}

TEST_F(IndexWriterSpillTest, AShuffledLayoutGathersTheRunsBack) {
  const std::vector<Posting> postings = MixedPostings();
  const auto unspilled = Files(postings, {}, 777);
  const auto spilled = Files(postings, {1, 30, 31, 90, 91}, 777, 3);
  EXPECT_EQ(runsWritten_, 5u);
  EXPECT_TRUE(spilled.first == unspilled.first);
  EXPECT_TRUE(spilled.second == unspilled.second);
  EXPECT_NE(unspilled.second, Files(postings, {}).second) << "the seed shuffles the blocks";
}

TEST_F(IndexWriterSpillTest, BufferedBytesCountsWhatASpillFrees) {
  IndexWriter writer({.runFolder = runs_.path()});
  EXPECT_EQ(writer.BufferedBytes(), 0u);
  std::vector<uint32_t> positions(1000);
  for (uint32_t i = 0; i < positions.size(); ++i) positions[i] = 2 * i + 1;
  ASSERT_TRUE(writer.AddPage(4, 0, positions));
  // 3 bytes of page header and 1000 one-byte deltas, in capacity.
  EXPECT_GE(writer.BufferedBytes(), 1003u);
  EXPECT_LT(writer.BufferedBytes(), 4 * 1003u);
  ASSERT_TRUE(writer.SpillRun());
  EXPECT_EQ(writer.BufferedBytes(), 0u);
  EXPECT_EQ(RunFiles(), std::vector<std::string>{"postings.run1"});
  EXPECT_EQ(std::filesystem::file_size(runs_ / "postings.run1"), 12u + 1003u);
}

TEST_F(IndexWriterSpillTest, ASpillThatCannotBeWrittenKeepsTheBytesInMemory) {
  const std::vector<Posting> postings = MixedPostings();
  const auto expected = Files(postings, {});
  for (const bool withFolder : {false, true}) {
    IndexWriterOptions options;
    if (withFolder) options.runFolder = runs_ / "missing";
    IndexWriter writer(options);
    for (size_t i = 0; i < postings.size(); ++i) {
      ASSERT_TRUE(writer.AddPage(postings[i].id, postings[i].page, postings[i].positions));
      if (i == 10) {
        const uint64_t buffered = writer.BufferedBytes();
        EXPECT_FALSE(writer.SpillRun());
        EXPECT_NE(writer.Error().find(withFolder ? "missing/postings.run1: the posting run cannot "
                                                   "be written"
                                                 : "no folder was given"),
                  std::string::npos)
            << writer.Error();
        EXPECT_EQ(writer.BufferedBytes(), buffered);
        EXPECT_EQ(writer.RunsSpilled(), 0u);
      }
    }
    Write(writer);
    EXPECT_TRUE(Header() == expected.first);
    EXPECT_TRUE(Postings() == expected.second);
  }
}

TEST_F(IndexWriterSpillTest, ADamagedRunFailsTheWriteAndNamesIt) {
  // Identifier 7 on page 0 with 5 one-byte deltas (8 bytes), identifier 9 after it.
  const std::vector<uint32_t> five{1, 2, 3, 4, 5};
  // clang-format off
  const struct {
    const char* name;
    size_t offset;  // into run 1; npos cuts the run short instead
    std::string bytes;
    const char* error;
  } cases[] = {
      {"cut short", std::string::npos, "", "postings.run1: the posting run is cut short"},
      {"identifier out of range", 0, Bytes({0xA0, 0x86, 0x01, 0x00}),
       "postings.run1: the posting run is damaged (piece of identifier 100000"},
      {"identifiers out of order", 20, Bytes({0x07}),
       "postings.run1: the posting run is damaged (piece of identifier 7"},
      {"piece longer than spilled", 4, Bytes({0x1C}),
       "the posting runs hold 28 bytes of identifier 7, but 8 were spilled"},
      {"piece of an identifier never spilled", 20, Bytes({0x08}), "the posting runs hold"},
  };
  // clang-format on
  for (const auto& c : cases) {
    for (const uint32_t seed : {0u, 5u}) {
      IndexWriter writer({.shuffleSeed = seed, .runFolder = runs_.path()});
      ASSERT_TRUE(writer.AddPage(7, 0, five));
      ASSERT_TRUE(writer.AddPage(9, 0, five));
      ASSERT_TRUE(writer.SpillRun());
      ASSERT_TRUE(writer.AddPage(7, 1, five));
      const std::filesystem::path run = runs_ / "postings.run1";
      ASSERT_EQ(std::filesystem::file_size(run), 2 * (12u + 8u)) << c.name;
      if (c.offset == std::string::npos) {
        std::filesystem::resize_file(run, 30);
      } else {
        testing::PatchFileBytes(run, c.offset, c.bytes);
      }
      EXPECT_FALSE(writer.Write(dir_.path(), "Index")) << c.name;
      EXPECT_NE(writer.Error().find(c.error), std::string::npos)
          << c.name << ": " << writer.Error();
      EXPECT_TRUE(RunFiles().empty()) << c.name;
    }
  }
}

TEST_F(IndexWriterSpillTest, AWriterThatIsNeverWrittenLeavesNoRunsBehind) {
  {
    IndexWriter writer({.runFolder = runs_.path()});
    const std::vector<uint32_t> one{1};
    ASSERT_TRUE(writer.AddPage(1, 0, one));
    ASSERT_TRUE(writer.SpillRun());
    ASSERT_TRUE(writer.AddPage(1, 1, one));
    ASSERT_TRUE(writer.SpillRun());
    EXPECT_EQ(RunFiles().size(), 2u);
  }
  EXPECT_TRUE(RunFiles().empty());
}

}  // namespace
}  // namespace quillwen
