#pragma once

// The core's strings and paths as Qt's.

#include <QString>
#include <concepts>
#include <filesystem>
#include <string_view>

// UTF-16 text of the core (names, labels, messages).
inline QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A path as the file system spells it. Only a path itself binds here: a path
// could also be made from a UTF-16 literal, which is text for the overload above.
template <std::same_as<std::filesystem::path> Path>
QString ToQString(const Path& path) {
  return QString::fromStdString(path.string());
}

// A path Qt names (a file dialog's answer), spelled as ToQString reads it back.
inline std::filesystem::path ToPath(const QString& text) {
  return std::filesystem::path(text.toStdString());
}
