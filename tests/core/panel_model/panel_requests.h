#pragma once

// What the panel model's tests send it and read back, as a front end would.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/panel_model/left_form_model.h"
#include "tests/support/temp_dir.h"

namespace quillwen::testing {

// A panel model on a collection of the test's own, written into data_ by the
// test's SetUp, with its messages recorded.
class PanelModelTest : public ::testing::Test {
 protected:
  std::unique_ptr<LeftFormModel> Make() {
    auto model = std::make_unique<LeftFormModel>(
        LeftFormModel::Environment{data_.path(), &messages_, temp_.path(), temp_ / "mvr.txt"});
    model->InitialUpdate();
    return model;
  }

  TempDir data_;
  TempDir temp_;
  RecordingMessageSink messages_;
};

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
