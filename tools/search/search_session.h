#pragma once

// quillwen-search's side of the panel model: one collection opened once, each
// search run through the model exactly as the search tab runs it, and the
// answers written as text or JSON.

#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <string>

#include "core/common/message_sink.h"
#include "core/panel_model/left_form_model.h"
#include "tools/search/search_options.h"

namespace quillwen::tools {

// Writes each message as a UTF-8 line to a stream and remembers that one came; a
// fault follows its message on a line of its own.
class StreamMessageSink : public MessageSink {
 public:
  explicit StreamMessageSink(std::ostream& out) : out_(out) {}
  void ShowMessage(std::u16string_view text) override;
  void ShowFault(std::u16string_view text, const DataFault& fault) override;
  int Count() const { return count_; }
  const std::string& Last() const { return last_; }

 private:
  std::ostream& out_;
  int count_ = 0;
  std::string last_;
};

class SearchSession {
 public:
  SearchSession(const std::filesystem::path& dataFolder, MessageSink& messages);

  // The record a --range text names: "all" (kWholeCollection), a record number,
  // or a contents path whose parts are joined by "\" or "/". 0 when there is no
  // such record.
  int ResolveRange(const std::string& text) const;

  // Runs one search with `options` through the model's search command; a message
  // it gives goes to the session's message sink. False with `error` set when the
  // range names no record; otherwise the model holds the outcome and the rows.
  bool Run(const SearchOptions& options, SearchOutcome& outcome, std::string& error);
  // Chooses the search target the index is opened on.
  void ChooseTarget(SearchTarget target);

  // How long the last search itself took.
  std::chrono::nanoseconds LastSearchTime() const { return lastSearchTime_; }

  const LeftFormModel& Model() const { return model_; }
  LeftFormModel& Model() { return model_; }

 private:
  MessageSink& messages_;
  LeftFormModel model_;
  std::chrono::nanoseconds lastSearchTime_{0};
};

// The summary line and a header, then the rows of list page `listPage`,
// tab-separated, one row a line.
std::string ResultText(const LeftFormModel& model, int64_t listPage);
// The summary line, a header and the hit rows of the list page shown, one a line:
// entry, category, book, volume, page, left context, hit, right context.
std::string HitsText(const LeftFormModel& model);
// Every hit row as JSON, written as the rows are made.
void WriteHitsJson(LeftFormModel& model, std::ostream& out);
// The whole result: summary, totals and every row.
std::string ResultJson(const LeftFormModel& model);
// One batch answer: keywords, totals, each row's page and count, and the time.
std::string BatchJson(const LeftFormModel& model, std::chrono::nanoseconds searchTime);
// The contents tree, one record a line: indentation by depth, record number, name.
std::string TreeText(const ContentsCatalogue& catalogue);

}  // namespace quillwen::tools
