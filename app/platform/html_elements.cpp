#include "app/platform/html_elements.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace {

bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':'; }

QString DecodeEntities(QString text) {
  text.replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s).replace(u"&quot;"_s, u"\""_s);
  text.replace(u"&#39;"_s, u"'"_s).replace(u"&amp;"_s, u"&"_s);
  return text;
}

// Reads the attributes from `pos` to the end of the tag; returns the value of
// `wanted` when the tag has it. `pos` ends just past the tag's '>'.
std::optional<QString> ReadAttributes(const QString& html, qsizetype& pos, const QString& wanted) {
  std::optional<QString> found;
  const qsizetype n = html.size();
  while (pos < n) {
    while (pos < n && (html[pos].isSpace() || html[pos] == u'/')) ++pos;
    if (pos >= n) break;
    if (html[pos] == u'>') {
      ++pos;
      break;
    }
    const qsizetype nameStart = pos;
    while (pos < n && !html[pos].isSpace() && html[pos] != u'=' && html[pos] != u'>' && html[pos] != u'/') ++pos;
    const QString name = html.mid(nameStart, pos - nameStart).toLower();
    while (pos < n && html[pos].isSpace()) ++pos;
    QString value;
    bool hasValue = false;
    if (pos < n && html[pos] == u'=') {
      ++pos;
      while (pos < n && html[pos].isSpace()) ++pos;
      hasValue = true;
      if (pos < n && (html[pos] == u'"' || html[pos] == u'\'')) {
        const QChar quote = html[pos++];
        const qsizetype end = html.indexOf(quote, pos);
        const qsizetype stop = end < 0 ? n : end;
        value = html.mid(pos, stop - pos);
        pos = end < 0 ? n : end + 1;
      } else {
        const qsizetype valueStart = pos;
        while (pos < n && !html[pos].isSpace() && html[pos] != u'>') ++pos;
        value = html.mid(valueStart, pos - valueStart);
      }
    }
    if (name.isEmpty()) {
      ++pos;  // a stray character that starts no name: step over it
      continue;
    }
    if (name == wanted) found = hasValue ? DecodeEntities(value) : QString();
  }
  return found;
}

}  // namespace

QVector<DocumentElement> ScanDocumentElements(const QString& html) {
  QVector<DocumentElement> elements;
  const qsizetype n = html.size();
  qsizetype pos = 0;
  while (true) {
    pos = html.indexOf(u'<', pos);
    if (pos < 0 || pos + 1 >= n) break;
    if (html.mid(pos, 4) == u"<!--"_s) {
      const qsizetype end = html.indexOf(u"-->"_s, pos + 4);
      if (end < 0) break;
      pos = end + 3;
      continue;
    }
    if (!html[pos + 1].isLetter()) {  // end tags, declarations, a lone '<'
      ++pos;
      continue;
    }
    qsizetype nameEnd = pos + 1;
    while (nameEnd < n && IsNameChar(html[nameEnd])) ++nameEnd;
    DocumentElement element;
    element.tagName = html.mid(pos + 1, nameEnd - pos - 1).toLower();
    element.isInput = element.tagName == u"input"_s;
    pos = nameEnd;
    const std::optional<QString> value = ReadAttributes(html, pos, u"value"_s);
    if (element.isInput) element.value = value;
    elements.append(element);
    // The content of these elements is text, not markup.
    if (element.tagName == u"script"_s || element.tagName == u"style"_s) {
      const qsizetype end = html.indexOf(u"</"_s + element.tagName, pos, Qt::CaseInsensitive);
      if (end < 0) break;
      pos = end;
    }
  }
  return elements;
}
