#include "core/store/collection_location.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <system_error>

#include "core/store/catalogue_format.h"

namespace quillwen {
namespace {

namespace fs = std::filesystem;

constexpr char kDefaultDataDirs[] = "/usr/local/share:/usr/share";
constexpr char kDefaultUserDataBelowHome[] = ".local/share";

// An environment value that is set and not empty.
std::optional<std::string> NonEmpty(const EnvironmentLookup& environment, const char* name) {
  std::optional<std::string> value = environment(name);
  if (value && value->empty()) return std::nullopt;
  return value;
}

fs::path UserDataHome(const EnvironmentLookup& environment) {
  if (auto home = NonEmpty(environment, "XDG_DATA_HOME"); home && fs::path(*home).is_absolute())
    return *home;
  if (auto home = NonEmpty(environment, "HOME"); home && fs::path(*home).is_absolute())
    return fs::path(*home) / kDefaultUserDataBelowHome;
  return {};
}

std::vector<fs::path> SystemDataDirs(const EnvironmentLookup& environment) {
  const std::string list = NonEmpty(environment, "XDG_DATA_DIRS").value_or(kDefaultDataDirs);
  std::vector<fs::path> dirs;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(':', start), list.size());
    const fs::path dir = list.substr(start, end - start);
    if (dir.is_absolute()) dirs.push_back(dir);
    start = end + 1;
  }
  return dirs;
}

// Quoted for a POSIX shell where it holds anything but plain path characters.
std::string ShellWord(const std::string& text) {
  const bool plain = std::all_of(text.begin(), text.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c >= 0x80;
  });
  if (plain && !text.empty()) return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool HoldsCollection(const fs::path& folder) {
  std::error_code error;
  return fs::is_regular_file(folder / kCatalogueFileName, error);
}

void AddPlace(std::vector<fs::path>& places, const fs::path& place) {
  if (place.empty()) return;
  const fs::path normal = place.lexically_normal();
  if (std::find(places.begin(), places.end(), normal) == places.end()) places.push_back(normal);
}

}  // namespace

std::optional<std::string> ProcessEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

CollectionLocation LocateCollection(const fs::path& chosenFolder, const fs::path& programFolder,
                                    const EnvironmentLookup& environment) {
  CollectionLocation location;
  const fs::path userHome = UserDataHome(environment);
  if (!userHome.empty()) location.userFolder = (userHome / kCollectionSubfolder).lexically_normal();
  if (!chosenFolder.empty()) {
    location.folder = chosenFolder;
    location.found = true;
    return location;
  }

  AddPlace(location.searched, programFolder);
  if (auto data = NonEmpty(environment, kCollectionDataEnvironment)) {
    std::error_code error;
    const fs::path absolute = fs::absolute(*data, error);
    AddPlace(location.searched, error ? fs::path(*data) : absolute);
  }
  AddPlace(location.searched, location.userFolder);
  for (const fs::path& dir : SystemDataDirs(environment))
    AddPlace(location.searched, dir / kCollectionSubfolder);

  for (const fs::path& place : location.searched) {
    if (HoldsCollection(place)) {
      location.folder = place;
      location.found = true;
      return location;
    }
  }
  location.folder = programFolder;
  return location;
}

std::string PathForUser(const fs::path& path, const EnvironmentLookup& environment) {
  const std::string text = path.string();
  const auto home = NonEmpty(environment, "HOME");
  if (!home || !fs::path(*home).is_absolute()) return text;
  std::string prefix = fs::path(*home).lexically_normal().string();
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  if (prefix == "/") return text;
  if (text == prefix) return "~";
  if (text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0 &&
      text[prefix.size()] == '/') {
    // Appended, not "~" + substr(): g++ 12 at -O3 reports a false -Wrestrict
    // overlap for the latter, which breaks a -Werror release build.
    std::string shortened = "~";
    shortened.append(text, prefix.size());
    return shortened;
  }
  return text;
}

std::string SearchedPlacesText(const CollectionLocation& location,
                               const EnvironmentLookup& environment) {
  std::string text;
  for (const fs::path& place : location.searched)
    text += "  " + PathForUser(place, environment) + "\n";
  return text;
}

std::string BuildCollectionCommand(const CollectionLocation& location,
                                   const EnvironmentLookup& environment) {
  if (location.userFolder.empty())
    return std::string("quillwen-build SOURCE ~/") + kDefaultUserDataBelowHome + "/" +
           kCollectionSubfolder;
  const std::string target = PathForUser(location.userFolder, environment);
  // "~" stays outside the quotes so that the shell still expands it.
  if (target.rfind("~/", 0) == 0) return "quillwen-build SOURCE ~/" + ShellWord(target.substr(2));
  return "quillwen-build SOURCE " + ShellWord(target);
}

}  // namespace quillwen
