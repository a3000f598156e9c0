#include "core/store/collection_location.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

using Environment = std::map<std::string, std::string>;

EnvironmentLookup Lookup(const Environment& environment) {
  return [environment](const char* name) -> std::optional<std::string> {
    const auto found = environment.find(name);
    if (found == environment.end()) return std::nullopt;
    return found->second;
  };
}

// Folders named after their role under one scratch folder; "@" in an
// environment value stands for the scratch folder.
class CollectionLocationTest : public ::testing::Test {
 protected:
  fs::path Place(const std::string& name) const {
    return (root_->path() / name).lexically_normal();
  }
  void PutCollection(const std::string& name) const {
    fs::create_directories(Place(name));
    WriteFileBytes(Place(name) / "mvr.dir", "");
  }
  Environment Expand(const Environment& environment) const {
    Environment expanded;
    for (auto [name, value] : environment) {
      for (size_t at = value.find('@'); at != std::string::npos; at = value.find('@', at))
        value.replace(at, 1, root_->path().string());
      expanded[name] = value;
    }
    return expanded;
  }
  CollectionLocation Locate(const Environment& environment, const fs::path& chosen = {}) const {
    return LocateCollection(chosen, Place("bin"), Lookup(Expand(environment)));
  }

  std::unique_ptr<TempDir> root_ = std::make_unique<TempDir>();
};

TEST_F(CollectionLocationTest, TakesTheFirstPlaceThatHoldsACatalogue) {
  const Environment everywhere = {{"QUILLWEN_DATA", "@/data"},
                                  {"XDG_DATA_HOME", "@/home/.local/share"},
                                  {"HOME", "@/home"},
                                  {"XDG_DATA_DIRS", "@/sys1:@/sys2"}};
  struct Case {
    std::vector<std::string> collections;
    Environment environment;
    std::string expected;
  } cases[] = {
      {{"bin", "data", "home/.local/share/quillwen", "sys1/quillwen"}, everywhere, "bin"},
      {{"data", "home/.local/share/quillwen", "sys1/quillwen"}, everywhere, "data"},
      {{"home/.local/share/quillwen", "sys1/quillwen"}, everywhere, "home/.local/share/quillwen"},
      {{"sys1/quillwen", "sys2/quillwen"}, everywhere, "sys1/quillwen"},
      {{"sys2/quillwen"}, everywhere, "sys2/quillwen"},
      // Without XDG_DATA_HOME the user's folder is under HOME.
      {{"home/.local/share/quillwen"}, {{"HOME", "@/home"}}, "home/.local/share/quillwen"},
      // A relative XDG_DATA_HOME is not used; an empty QUILLWEN_DATA neither.
      {{"home/.local/share/quillwen", "rel/quillwen"},
       {{"HOME", "@/home"}, {"XDG_DATA_HOME", "rel"}, {"QUILLWEN_DATA", ""}},
       "home/.local/share/quillwen"},
      // Empty and relative entries of XDG_DATA_DIRS are passed over.
      {{"sys2/quillwen"}, {{"XDG_DATA_DIRS", "::sys1:@/sys2:"}}, "sys2/quillwen"},
  };
  for (const Case& c : cases) {
    root_ = std::make_unique<TempDir>();
    for (const std::string& place : c.collections) PutCollection(place);
    const CollectionLocation location = Locate(c.environment);
    EXPECT_TRUE(location.found) << c.expected;
    EXPECT_EQ(location.folder, Place(c.expected));
  }
}

TEST_F(CollectionLocationTest, ListsEveryPlaceInOrderAndFallsBackToTheProgramFolder) {
  fs::create_directories(Place("data/mvr.dir"));  // a folder is no catalogue
  const CollectionLocation location =
      Locate({{"QUILLWEN_DATA", "@/data"}, {"HOME", "@/home"}, {"XDG_DATA_DIRS", "@/sys1:@/sys2"}});
  EXPECT_FALSE(location.found);
  EXPECT_EQ(location.folder, Place("bin"));
  EXPECT_EQ(location.searched,
            (std::vector<fs::path>{Place("bin"), Place("data"), Place("home/.local/share/quillwen"),
                                   Place("sys1/quillwen"), Place("sys2/quillwen")}));
  EXPECT_EQ(location.userFolder, Place("home/.local/share/quillwen"));
}

TEST_F(CollectionLocationTest, LooksInTheSystemDataFoldersByDefault) {
  const CollectionLocation location = Locate({{"HOME", "@/home"}});
  ASSERT_EQ(location.searched.size(), 4u);
  EXPECT_EQ(location.searched[2], fs::path("/usr/local/share/quillwen"));
  EXPECT_EQ(location.searched[3], fs::path("/usr/share/quillwen"));
}

TEST_F(CollectionLocationTest, AChosenFolderIsTakenWithoutLooking) {
  PutCollection("bin");
  const CollectionLocation location = Locate({{"HOME", "@/home"}}, Place("empty"));
  EXPECT_TRUE(location.found);
  EXPECT_EQ(location.folder, Place("empty"));
  EXPECT_TRUE(location.searched.empty());
}

TEST(CollectionMessages, WriteTheHomeFolderAsTildeAndQuoteForTheShell) {
  const EnvironmentLookup home = Lookup({{"HOME", "/home/mei/"}});
  EXPECT_EQ(PathForUser("/home/mei/.local/share/quillwen", home), "~/.local/share/quillwen");
  EXPECT_EQ(PathForUser("/home/meiling/quillwen", home), "/home/meiling/quillwen");
  EXPECT_EQ(PathForUser("/home/mei", home), "~");
  EXPECT_EQ(PathForUser("/usr/share/quillwen", Lookup({{"HOME", "/"}})), "/usr/share/quillwen");

  struct Case {
    Environment environment;
    std::string command;
  } cases[] = {
      {{{"HOME", "/home/mei"}}, "quillwen-build SOURCE ~/.local/share/quillwen"},
      {{{"HOME", "/home/mei"}, {"XDG_DATA_HOME", "/srv/texts"}},
       "quillwen-build SOURCE /srv/texts/quillwen"},
      {{{"HOME", "/home/mei"}, {"XDG_DATA_HOME", "/home/mei/my data"}},
       "quillwen-build SOURCE ~/'my data/quillwen'"},
      {{{"XDG_DATA_HOME", "/srv/it's"}}, "quillwen-build SOURCE '/srv/it'\\''s/quillwen'"},
      {{}, "quillwen-build SOURCE ~/.local/share/quillwen"},
  };
  for (const Case& c : cases) {
    const EnvironmentLookup environment = Lookup(c.environment);
    EXPECT_EQ(
        BuildCollectionCommand(LocateCollection({}, "/nonexistent", environment), environment),
        c.command);
  }
}

TEST(CollectionMessages, ListTheSearchedPlacesOnePerLine) {
  const EnvironmentLookup environment =
      Lookup({{"HOME", "/home/mei"}, {"XDG_DATA_DIRS", "/usr/share"}});
  EXPECT_EQ(SearchedPlacesText(LocateCollection({}, "/nonexistent/bin", environment), environment),
            "  /nonexistent/bin\n  ~/.local/share/quillwen\n  /usr/share/quillwen\n");
}

}  // namespace
}  // namespace quillwen
