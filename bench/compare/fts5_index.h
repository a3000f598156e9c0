#pragma once

// The SQLite FTS5 peer: the pages' indexed text in an FTS5 table with the
// trigram tokenizer, one row per page (rowid = page-table entry), blocks on
// lines of their own. Built once per collection and kept in a cache file.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace quillwen::bench {

class Fts5Index {
 public:
  Fts5Index() = default;
  ~Fts5Index();
  Fts5Index(const Fts5Index&) = delete;
  Fts5Index& operator=(const Fts5Index&) = delete;

  // Opens `file`, building it first (through a temporary file beside it) when
  // it does not exist, from `pageTexts` (UTF-8, one per page). False with
  // `error` set on failure.
  bool OpenOrBuild(const std::filesystem::path& file, const std::vector<std::string>& pageTexts,
                   std::string& error);

  // The pages holding every term (`all`) or any term, ascending. A term of
  // three or more characters goes through the trigram index; shorter ones
  // can only be scanned for (LIKE). False with `error` set on failure.
  bool Pages(const std::vector<std::u16string>& terms, bool all, std::vector<uint32_t>& pages,
             std::string& error);

 private:
  bool Execute(const char* sql, std::string& error);
  void Close();

  sqlite3* db_ = nullptr;
};

}  // namespace quillwen::bench
