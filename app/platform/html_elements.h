#pragma once

// A light scan of an HTML document's start tags, enough to list its elements in
// document order with their attributes and read the value of its input
// elements. It does not build a tree and does not judge the document: anything
// that is not a start tag is skipped, and the content of script and style
// elements is text.

#include <QList>
#include <QPair>
#include <QString>
#include <QVector>
#include <optional>

#include "app/platform/browser_control.h"

struct HtmlStartTag {
  QString name;  // lower case
  // In document order; names lower case, values with the character references
  // &lt; &gt; &quot; &#39; &amp; decoded. An attribute written without a value
  // has an empty one.
  QList<QPair<QString, QString>> attributes;

  // The value of attribute `attribute` (lower case), when the tag has it. Of
  // two with the same name the first counts, as in a browser.
  std::optional<QString> Attribute(const QString& attribute) const;
};

QList<HtmlStartTag> ScanStartTags(const QString& html);

// The start tags as the browser control reports elements: an input element's
// value is its value attribute, when it has one.
QVector<DocumentElement> ScanDocumentElements(const QString& html);
