#include "tools/search/search_session.h"

#include <charconv>
#include <ostream>

#include "core/encoding/codeconverter.h"
#include "tools/search/json_writer.h"

namespace quillwen::tools {
namespace {

std::string Utf8(std::u16string_view text) { return ToUtf8(text); }

void AppendTreeLines(const ContentsCatalogue& catalogue, int item, int depth, std::string& out) {
  for (const int child : catalogue.TreeChildren(item)) {
    out.append(static_cast<size_t>(depth), '\t');
    out += std::to_string(child) + "\t" + Utf8(catalogue.Record(child).name) + "\n";
    AppendTreeLines(catalogue, child, depth + 1, out);
  }
}

}  // namespace

void StreamMessageSink::ShowMessage(std::u16string_view text) {
  last_ = Utf8(text);
  out_ << last_ << "\n";
  ++count_;
}

SearchSession::SearchSession(const std::filesystem::path& dataFolder, MessageSink& messages)
    : messages_(messages),
      model_({.dataFolder = dataFolder,
              .messages = &messages,
              .tempParent = {},
              .listingPath = std::filesystem::path()}) {
  model_.InitialUpdate();
}

int SearchSession::ResolveRange(const std::string& text) const {
  const ContentsCatalogue& catalogue = model_.Catalogue();
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc() && end == text.data() + text.size()) {
    return number >= 1 && number < catalogue.m_nNodeCount ? number : 0;
  }
  std::u16string path = Utf8ToUtf16(text);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  for (int record = 1; record < catalogue.m_nNodeCount; ++record) {
    if (catalogue.RangeLabel(record) == path) return record;
  }
  return 0;
}

bool SearchSession::Run(const SearchOptions& options, SearchOutcome& outcome, std::string& error) {
  // Every search names its range, so that batch lines do not inherit each other's.
  int record = 1;
  if (options.range) {
    record = ResolveRange(*options.range);
    if (record == 0) {
      error = "no contents entry is named " + *options.range;
      return false;
    }
  }
  SearchRequest request;
  request.method = options.method;
  request.target = options.target;
  request.variants = options.variants;
  request.range = record;
  std::string keywords;
  for (const std::string& word : options.words) {
    if (!keywords.empty()) keywords += ' ';
    keywords += word;
  }
  request.keywords = Utf8ToUtf16(keywords);
  const auto start = std::chrono::steady_clock::now();
  const PanelUpdate update = model_.Search(request);
  lastSearchTime_ = std::chrono::steady_clock::now() - start;
  if (update.message) messages_.ShowMessage(*update.message);
  outcome = update.outcome.value_or(SearchOutcome::kRan);
  return true;
}

void SearchSession::ChooseTarget(SearchTarget target) {
  if (target != model_.Target()) model_.ChooseTarget(target);
}

std::string ResultText(const LeftFormModel& model, int64_t listPage) {
  std::string out = Utf8(model.Summary()) + "\n類別\t書名\t巻\t頁\t箇所\n";
  const size_t first = static_cast<size_t>(listPage - 1) * kRowsPerResultPage;
  for (size_t i = first; i < model.SearchNodes().size() && i < first + kRowsPerResultPage; ++i) {
    const SearchNodeTag& row = model.SearchNodes()[i];
    out += Utf8(row.category) + "\t" + Utf8(row.book) + "\t" + Utf8(row.volume) + "\t" +
           std::to_string(row.volumePage) + "\t" + std::to_string(row.count) + "\n";
  }
  return out;
}

std::string ResultJson(const LeftFormModel& model) {
  JsonWriter json;
  json.BeginObject()
      .Key("summary")
      .String(Utf8(model.Summary()))
      .Key("pages")
      .Number(static_cast<int64_t>(model.SearchNodes().size()))
      .Key("places")
      .Number(model.Places())
      .Key("listPages")
      .Number(int64_t{model.Paging().m_nResultPages})
      .Key("rows")
      .BeginArray();
  for (const SearchNodeTag& row : model.SearchNodes()) {
    json.BeginObject()
        .Key("category")
        .String(Utf8(row.category))
        .Key("book")
        .String(Utf8(row.book))
        .Key("volume")
        .String(Utf8(row.volume))
        .Key("volumePage")
        .Number(int64_t{row.volumePage})
        .Key("entry")
        .Number(int64_t{row.page})
        .Key("places")
        .Number(int64_t{row.count})
        .EndObject();
  }
  json.EndArray().EndObject();
  return json.Text() + "\n";
}

std::string BatchJson(const LeftFormModel& model, std::chrono::nanoseconds searchTime) {
  JsonWriter json;
  json.BeginObject()
      .Key("keywords")
      .String(Utf8(model.KeyWords()))
      .Key("pages")
      .Number(static_cast<int64_t>(model.SearchNodes().size()))
      .Key("places")
      .Number(model.Places())
      .Key("rows")
      .BeginArray();
  for (const SearchNodeTag& row : model.SearchNodes()) {
    json.BeginArray().Number(int64_t{row.page}).Number(int64_t{row.count}).EndArray();
  }
  json.EndArray()
      .Key("seconds")
      .Number(std::chrono::duration<double>(searchTime).count())
      .EndObject();
  return json.Text() + "\n";
}

std::string TreeText(const ContentsCatalogue& catalogue) {
  std::string out;
  AppendTreeLines(catalogue, 0, 0, out);
  return out;
}

}  // namespace quillwen::tools
