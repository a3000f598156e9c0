#pragma once

// What the panel model's tests send it and read back, as a front end would.

#include <string>
#include <vector>

#include "core/panel_model/left_form_model.h"

namespace quillwen::testing {

inline SearchRequest Keywords(std::u16string keywords, SearchMethod method = SearchMethod::kAnd,
                              bool variants = true) {
  SearchRequest request;
  request.keywords = std::move(keywords);
  request.method = method;
  request.variants = variants;
  return request;
}

inline SearchOutcome Outcome(const PanelUpdate& update) {
  return update.outcome.value_or(SearchOutcome::kRan);
}

// Every page row of the last search in reading order, each made as the list
// would make it.
inline std::vector<SearchNodeTag> AllRows(const LeftFormModel& model) {
  std::vector<SearchNodeTag> rows;
  for (size_t i = 0; i < model.SearchNodes().Count(); ++i)
    rows.push_back(model.SearchNodes().Row(i));
  return rows;
}

}  // namespace quillwen::testing
