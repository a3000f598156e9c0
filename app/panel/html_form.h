#pragma once

// What the query input control reads from a tag's style attribute to build its
// form fields; the tags themselves come from ScanStartTags.

#include <QString>
#include <optional>

// "font-family: 'A B'; font-size: 14px" → the value of `property` ("'A B'"),
// trimmed, when the style declares it.
std::optional<QString> StyleProperty(const QString& style, const QString& property);
