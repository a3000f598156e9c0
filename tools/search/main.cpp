// quillwen-search: the reader's search tab on the command line.

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/encoding/codeconverter.h"
#include "core/io/path.h"
#include "core/panel_model/decimal_text.h"
#include "core/panel_model/search_notes.h"
#include "core/search/query.h"
#include "core/store/collection_location.h"
#include "tools/search/json_writer.h"
#include "tools/search/search_session.h"

namespace {

using quillwen::SearchOutcome;
using namespace quillwen::tools;

constexpr int kExitRan = 0;
constexpr int kExitMessage = 1;
constexpr int kExitUsage = 2;

int Usage(const std::string& error) {
  std::cerr << "quillwen-search: " << error << "\nTry 'quillwen-search --help'.\n";
  return kExitUsage;
}

int RunBatch(SearchSession& session, const SearchOptions& defaults, StreamMessageSink& messages) {
  std::string line;
  while (std::getline(std::cin, line)) {
    SearchOptions options = defaults;
    options.words.clear();
    std::string error;
    const std::vector<std::string> words = SplitBatchLine(line);
    SearchOutcome outcome = SearchOutcome::kRan;
    const int before = messages.Count();
    if (!ParseSearchOptions(words, true, options, error) || !session.Run(options, outcome, error)) {
      std::cout << JsonWriter().BeginObject().Key("error").String(error).EndObject().Text() << "\n";
    } else if (outcome != SearchOutcome::kRan) {
      const std::string message = messages.Count() > before ? messages.Last() : "no keywords";
      std::cout << JsonWriter().BeginObject().Key("message").String(message).EndObject().Text()
                << "\n";
    } else {
      std::cout << BatchJson(session.Model(), session.LastSearchTime());
    }
    std::cout.flush();
  }
  return messages.Count() > 0 ? kExitMessage : kExitRan;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  SearchOptions options;
  std::string error;
  if (!ParseSearchOptions(args, false, options, error)) return Usage(error);
  if (options.mode == ToolMode::kHelp) {
    std::cout << kSearchToolHelp;
    return kExitRan;
  }
  const quillwen::CollectionLocation location =
      quillwen::LocateCollection(options.dataFolder, quillwen::io::ExecutableFolder());
  if (!location.found) {
    using quillwen::ProcessEnvironment;
    std::cerr << "quillwen-search: no collection (mvr.dir) in any of these folders:\n"
              << quillwen::SearchedPlacesText(location, ProcessEnvironment) << "Build one with\n  "
              << quillwen::BuildCollectionCommand(location, ProcessEnvironment)
              << "\nor name its folder with --data DIR.\n";
    return kExitMessage;
  }
  options.dataFolder = location.folder;

  StreamMessageSink messages(std::cerr);
  SearchSession session(options.dataFolder, messages);
  quillwen::LeftFormModel& model = session.Model();

  switch (options.mode) {
    case ToolMode::kTree:
      std::cout << TreeText(model.Catalogue());
      break;
    case ToolMode::kShow: {
      if (options.words.empty() || options.words.size() > 2)
        return Usage("--show takes RECORD [PAGE]");
      const int record = session.ResolveRange(options.words[0]);
      if (record <= 0) return Usage("no volume is named " + options.words[0]);
      int64_t page = 0;
      if (options.words.size() == 2 && !ParseNumber(options.words[1], INT32_MIN, INT32_MAX, page))
        return Usage("PAGE must be a number from " + std::to_string(INT32_MIN) + " to " +
                     std::to_string(INT32_MAX) + ", not " + options.words[1]);
      std::string html;
      quillwen::DataFault fault;
      if (!model.ReadStoredPage(record, options.words.size() == 1, static_cast<int32_t>(page), html,
                                nullptr, &fault)) {
        std::cerr << "quillwen-search: the page cannot be found or read\n";
        if (!fault.problem.empty()) std::cerr << fault.Text() << "\n";
        return kExitMessage;
      }
      std::cout << html;
      break;
    }
    case ToolMode::kRender: {
      if (options.words.size() < 2) return Usage("--render takes ENTRY KEYWORDS...");
      int64_t entry = 0;
      if (!ParseNumber(options.words[0], 0, UINT32_MAX, entry))
        return Usage("ENTRY must be a number from 0 to " + std::to_string(UINT32_MAX) + ", not " +
                     options.words[0]);
      std::string keywords;
      for (size_t i = 1; i < options.words.size(); ++i)
        keywords += (i > 1 ? " " : "") + options.words[i];
      session.ChooseTarget(options.target);
      // Marked as the reader marks a result page: the terms as the search reads them.
      std::u16string marked = quillwen::Utf8ToUtf16(keywords);
      if (const std::optional<quillwen::Query> query = quillwen::ParseQuery(marked))
        marked = query->searchedText;
      std::string document;
      model.Index().RenderWithVariants(static_cast<uint32_t>(entry), document, marked,
                                       quillwen::HighlightScopeOfTarget(options.target),
                                       options.variants);
      if (const std::u16string note =
              options.variants ? quillwen::VariantTableNote(model.Index()) : u"";
          !note.empty())
        messages.ShowMessage(note);
      if (document.empty()) {
        std::cerr << "quillwen-search: page entry " << entry << " cannot be rendered\n";
        return kExitMessage;
      }
      std::cout << document;
      break;
    }
    case ToolMode::kBatch:
      return RunBatch(session, options, messages);
    default: {
      const bool hitOrder = options.sort == SortChoice::kLeft || options.sort == SortChoice::kHit ||
                            options.sort == SortChoice::kRight;
      const bool pageOrder =
          options.sort == SortChoice::kPage || options.sort == SortChoice::kPlaces;
      if ((hitOrder && !options.hits) || (pageOrder && options.hits))
        return Usage(options.hits ? "--hits sorts by reading, left, hit or right"
                                  : "left, hit and right sort --hits only");
      if (options.json && options.csv) return Usage("--json and --csv exclude each other");
      SearchOutcome outcome;
      if (!session.Run(options, outcome, error)) return Usage(error);
      if (outcome != SearchOutcome::kRan) return kExitMessage;
      if (options.csv) {
        model.WriteResultCsv([](std::string_view bytes) { std::cout << bytes; });
      } else if (options.json) {
        if (options.hits)
          WriteHitsJson(model, std::cout);
        else
          std::cout << ResultJson(model);
      } else {
        if (options.listPage > 1) {
          const quillwen::PanelUpdate turned =
              model.ApplyPageEdit(quillwen::DecimalText(options.listPage));
          if (turned.message) messages.ShowMessage(*turned.message);
        }
        std::cout << (options.hits ? HitsText(model) : ResultText(model, options.listPage));
      }
      // The whole result's rows, or another list page's, read pages the search did not.
      if (const std::optional<quillwen::DataFault> fault = model.TakeRenderFault())
        messages.ShowMessage(quillwen::PagesUnreadableMessage(*fault));
      break;
    }
  }
  return messages.Count() > 0 ? kExitMessage : kExitRan;
}
