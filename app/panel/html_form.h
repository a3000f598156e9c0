#pragma once

// The start tags of a small HTML page with all their attributes, in document
// order: what the query input control needs to build its form fields. Anything
// that is not a start tag (text, end tags, comments) is skipped.

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

struct HtmlStartTag {
  QString name;                               // lower case
  QList<QPair<QString, QString>> attributes;  // names lower case, values as written

  // The value of attribute `attribute`, when the tag has it.
  std::optional<QString> Attribute(const QString& attribute) const;
};

QList<HtmlStartTag> ScanStartTags(const QString& html);

// "font-family: 'A B'; font-size: 14px" → the value of `property` ("'A B'"),
// trimmed, when the style declares it.
std::optional<QString> StyleProperty(const QString& style, const QString& property);
