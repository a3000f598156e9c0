#include "bench/compare/fts5_index.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <system_error>

#include "core/encoding/codeconverter.h"
#include "core/search/code_points.h"

namespace quillwen::bench {
namespace {

struct StatementDeleter {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Characters LIKE treats as wildcards, escaped so a term means itself.
std::string LikePattern(const std::string& term) {
  std::string pattern = "%";
  for (const char c : term) {
    if (c == '%' || c == '_' || c == '\\') pattern.push_back('\\');
    pattern.push_back(c);
  }
  return pattern + "%";
}

std::string PhraseOf(const std::string& term) {
  std::string phrase = "\"";
  for (const char c : term) {
    if (c == '"') phrase.push_back('"');
    phrase.push_back(c);
  }
  return phrase + "\"";
}

}  // namespace

Fts5Index::~Fts5Index() { Close(); }

void Fts5Index::Close() {
  if (db_ != nullptr) sqlite3_close(db_);
  db_ = nullptr;
}

bool Fts5Index::Execute(const char* sql, std::string& error) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  error = std::string(sql) + ": " + (message != nullptr ? message : "failed");
  sqlite3_free(message);
  return false;
}

bool Fts5Index::OpenOrBuild(const std::filesystem::path& file,
                            const std::vector<std::string>& pageTexts, std::string& error) {
  Close();
  std::error_code ignored;
  if (!std::filesystem::exists(file)) {
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::filesystem::path partial = file;
    partial += ".part";
    std::filesystem::remove(partial, ignored);
    if (sqlite3_open(partial.c_str(), &db_) != SQLITE_OK) {
      error = partial.string() + ": " + sqlite3_errmsg(db_);
      Close();
      return false;
    }
    bool built =
        Execute("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;", error) &&
        Execute("CREATE VIRTUAL TABLE pages USING fts5(body, tokenize='trigram')", error) &&
        Execute("BEGIN", error);
    sqlite3_stmt* raw = nullptr;
    if (built && sqlite3_prepare_v2(db_, "INSERT INTO pages(rowid, body) VALUES(?1, ?2)", -1, &raw,
                                    nullptr) != SQLITE_OK) {
      error = sqlite3_errmsg(db_);
      built = false;
    }
    const Statement insert(raw);
    for (size_t page = 0; built && page < pageTexts.size(); ++page) {
      sqlite3_bind_int64(insert.get(), 1, static_cast<sqlite3_int64>(page));
      sqlite3_bind_text(insert.get(), 2, pageTexts[page].data(),
                        static_cast<int>(pageTexts[page].size()), SQLITE_STATIC);
      if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        error = sqlite3_errmsg(db_);
        built = false;
      }
      sqlite3_reset(insert.get());
    }
    built = built && Execute("COMMIT", error) &&
            Execute("INSERT INTO pages(pages) VALUES('optimize')", error);
    Close();
    if (!built) {
      std::filesystem::remove(partial, ignored);
      return false;
    }
    std::filesystem::rename(partial, file, ignored);
    if (ignored) {
      error = file.string() + ": " + ignored.message();
      return false;
    }
  }
  if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    error = file.string() + ": " + sqlite3_errmsg(db_);
    Close();
    return false;
  }
  return true;
}

bool Fts5Index::Pages(const std::vector<std::u16string>& terms, bool all,
                      std::vector<uint32_t>& pages, std::string& error) {
  pages.clear();
  // FTS5 takes one MATCH per table scan: "and" joins the indexed terms in one
  // expression; "or" unites one select per term.
  std::string sql;
  std::vector<std::string> values;
  std::string match;
  const auto condition = [&](const std::u16string& term) {
    const std::string text = ToUtf8(term);
    if (ToCodePoints(term).size() >= 3) {
      if (!all) {
        values.push_back(PhraseOf(text));
        return std::string("pages MATCH ?");
      }
      match += (match.empty() ? "" : " AND ") + PhraseOf(text);
      return std::string();
    }
    values.push_back(LikePattern(text));
    return std::string("body LIKE ? ESCAPE '\\'");
  };
  if (all) {
    std::string where;
    for (const std::u16string& term : terms) {
      const std::string part = condition(term);
      if (!part.empty()) where += (where.empty() ? "" : " AND ") + part;
    }
    if (!match.empty()) {
      values.insert(values.begin(), match);
      where = "pages MATCH ?" + (where.empty() ? "" : " AND " + where);
    }
    sql = "SELECT rowid FROM pages WHERE " + where;
  } else {
    for (const std::u16string& term : terms) {
      sql += (sql.empty() ? "" : " UNION ") + std::string("SELECT rowid FROM pages WHERE ") +
             condition(term);
    }
  }
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    error = sql + ": " + sqlite3_errmsg(db_);
    return false;
  }
  const Statement query(raw);
  for (size_t i = 0; i < values.size(); ++i)
    sqlite3_bind_text(query.get(), static_cast<int>(i + 1), values[i].data(),
                      static_cast<int>(values[i].size()), SQLITE_STATIC);
  int step;
  while ((step = sqlite3_step(query.get())) == SQLITE_ROW)
    pages.push_back(static_cast<uint32_t>(sqlite3_column_int64(query.get(), 0)));
  if (step != SQLITE_DONE) {
    error = sql + ": " + sqlite3_errmsg(db_);
    return false;
  }
  std::sort(pages.begin(), pages.end());
  return true;
}

}  // namespace quillwen::bench
