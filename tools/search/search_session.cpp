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

// One hit row as a line: entry, category, book, volume, page, left, hit, right.
std::string HitLine(const HitRow& row) {
  const SearchNodeTag& page = *row.pageRow;
  return std::to_string(page.page) + "\t" + Utf8(page.category) + "\t" + Utf8(page.book) + "\t" +
         Utf8(page.volume) + "\t" + std::to_string(page.volumePage) + "\t" + Utf8(row.left) + "\t" +
         Utf8(row.hit) + "\t" + Utf8(row.right) + "\n";
}

}  // namespace

void StreamMessageSink::ShowMessage(std::u16string_view text) {
  last_ = Utf8(text);
  out_ << last_ << "\n";
  ++count_;
}

void StreamMessageSink::ShowFault(std::u16string_view text, const DataFault& fault) {
  ShowMessage(text);
  out_ << fault.Text() << "\n";
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
  if (text == "all") return kWholeCollection;
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
  int record = kWholeCollection;
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
  // The view, order and context first, so that the search lists its rows once.
  const ResultView view = options.hits ? ResultView::kHits : ResultView::kPages;
  if (view != model_.View()) model_.ChooseView(view);
  if (options.contextChars != model_.ContextChars()) model_.SetContextChars(options.contextChars);
  // Reordering works on the last result: only a change of order is sent.
  PageRowOrder pageOrder = model_.PageOrder();
  HitRowOrder hitOrder = model_.HitOrder();
  switch (options.sort) {
    case SortChoice::kReading:
      pageOrder = PageRowOrder::kReading;
      hitOrder = HitRowOrder::kReading;
      break;
    case SortChoice::kPage:
      pageOrder = PageRowOrder::kVolumePage;
      break;
    case SortChoice::kPlaces:
      pageOrder = PageRowOrder::kPlaces;
      break;
    case SortChoice::kLeft:
      hitOrder = HitRowOrder::kLeftContext;
      break;
    case SortChoice::kHit:
      hitOrder = HitRowOrder::kHit;
      break;
    case SortChoice::kRight:
      hitOrder = HitRowOrder::kRightContext;
      break;
  }
  if (pageOrder != model_.PageOrder()) model_.OrderPageRows(pageOrder);
  if (hitOrder != model_.HitOrder()) model_.OrderHitRows(hitOrder);
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
  for (size_t i = first; i < model.SearchNodes().Count() && i < first + kRowsPerResultPage; ++i) {
    const SearchNodeTag row = model.OrderedRow(i);
    out += Utf8(row.category) + "\t" + Utf8(row.book) + "\t" + Utf8(row.volume) + "\t" +
           std::to_string(row.volumePage) + "\t" + std::to_string(row.count) + "\n";
  }
  return out;
}

std::string HitsText(const LeftFormModel& model) {
  std::string out = Utf8(model.Summary()) + "\n項目\t類別\t書名\t巻\t頁\t左文脈\t語\t右文脈\n";
  for (const HitRow& row : model.ListHits()) out += HitLine(row);
  return out;
}

void WriteHitsJson(LeftFormModel& model, std::ostream& out) {
  JsonWriter json;
  json.BeginObject()
      .Key("summary")
      .String(Utf8(model.Summary()))
      .Key("pages")
      .Number(static_cast<int64_t>(model.SearchNodes().Count()))
      .Key("hits")
      .Number(static_cast<int64_t>(model.HitRowCount()))
      .Key("rows")
      .BeginArray();
  // Streamed row by row: the hits of a common character run to many megabytes.
  model.ForEachHitRow([&](const HitRow& row) {
    json.BeginObject()
        .Key("entry")
        .Number(int64_t{row.pageRow->page})
        .Key("category")
        .String(Utf8(row.pageRow->category))
        .Key("book")
        .String(Utf8(row.pageRow->book))
        .Key("volume")
        .String(Utf8(row.pageRow->volume))
        .Key("volumePage")
        .Number(int64_t{row.pageRow->volumePage})
        .Key("anchor")
        .Number(int64_t{row.anchor})
        .Key("left")
        .String(Utf8(row.left))
        .Key("hit")
        .String(Utf8(row.hit))
        .Key("right")
        .String(Utf8(row.right))
        .EndObject();
    out << json.TakeText();
  });
  json.EndArray().EndObject();
  out << json.TakeText() << "\n";
}

std::string ResultJson(const LeftFormModel& model) {
  JsonWriter json;
  json.BeginObject()
      .Key("summary")
      .String(Utf8(model.Summary()))
      .Key("pages")
      .Number(static_cast<int64_t>(model.SearchNodes().Count()))
      .Key("places")
      .Number(model.Places())
      .Key("listPages")
      .Number(int64_t{model.Paging().m_nResultPages})
      .Key("rows")
      .BeginArray();
  for (size_t i = 0; i < model.SearchNodes().Count(); ++i) {
    const SearchNodeTag row = model.OrderedRow(i);
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
      .Number(static_cast<int64_t>(model.SearchNodes().Count()))
      .Key("places")
      .Number(model.Places())
      .Key("rows")
      .BeginArray();
  // Numbers only: no row needs its names made.
  const ResultRows& rows = model.SearchNodes();
  for (size_t i = 0; i < rows.Count(); ++i) {
    json.BeginArray()
        .Number(int64_t{static_cast<int32_t>(rows.PageAt(i))})
        .Number(int64_t{static_cast<int32_t>(rows.PlacesAt(i))})
        .EndArray();
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
