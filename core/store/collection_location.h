#pragma once

// Where the reader and quillwen-search find their collection. A build folder
// keeps its collection next to the programs; an installed program finds it
// where the desktop keeps data (the XDG base directories), so /usr/bin never
// has to hold it.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillwen {

inline constexpr char kCollectionDataEnvironment[] = "QUILLWEN_DATA";
inline constexpr char kCollectionSubfolder[] = "quillwen";

// The value of an environment variable, or nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
// The process's own environment.
std::optional<std::string> ProcessEnvironment(const char* name);

struct CollectionLocation {
  std::filesystem::path folder;  // the data folder to open
  // A catalogue lies in `folder`, or the user named the folder (--data). When
  // false, `folder` is the program folder, whose missing files the reader
  // reports as it always did.
  bool found = false;
  std::vector<std::filesystem::path> searched;  // the places looked at, in order
  // $XDG_DATA_HOME/quillwen: where a user builds a collection of their own;
  // empty when neither XDG_DATA_HOME nor HOME is usable.
  std::filesystem::path userFolder;
};

// With `chosenFolder` (the --data option) not empty, that folder without
// looking. Otherwise the first of these that holds the catalogue "mvr.dir":
// the program folder, $QUILLWEN_DATA, $XDG_DATA_HOME/quillwen (default
// ~/.local/share/quillwen), each $XDG_DATA_DIRS entry + /quillwen (default
// /usr/local/share:/usr/share). Relative XDG paths are ignored, as the XDG
// base directory rules ask.
CollectionLocation LocateCollection(const std::filesystem::path& chosenFolder,
                                    const std::filesystem::path& programFolder,
                                    const EnvironmentLookup& environment = ProcessEnvironment);

// `path` with the home folder written as "~", for messages a user copies from.
std::string PathForUser(const std::filesystem::path& path, const EnvironmentLookup& environment);
// The places looked at, one per line, each indented by two spaces.
std::string SearchedPlacesText(const CollectionLocation& location,
                               const EnvironmentLookup& environment);
// The command that builds a collection where the programs look first after
// their own folder: "quillwen-build SOURCE ~/.local/share/quillwen".
std::string BuildCollectionCommand(const CollectionLocation& location,
                                   const EnvironmentLookup& environment);

}  // namespace quillwen
