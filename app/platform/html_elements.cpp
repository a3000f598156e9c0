#include "app/platform/html_elements.h"

using namespace Qt::StringLiterals;

namespace {

bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':'; }

QString DecodeEntities(QString text) {
  text.replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s).replace(u"&quot;"_s, u"\""_s);
  text.replace(u"&#39;"_s, u"'"_s).replace(u"&amp;"_s, u"&"_s);
  return text;
}

// Reads the attributes from `pos` to the end of the tag into `tag`. `pos` ends
// just past the tag's '>'.
void ReadAttributes(const QString& html, qsizetype& pos, HtmlStartTag& tag) {
  const qsizetype n = html.size();
  while (pos < n) {
    while (pos < n && (html[pos].isSpace() || html[pos] == u'/')) ++pos;
    if (pos >= n) break;
    if (html[pos] == u'>') {
      ++pos;
      break;
    }
    const qsizetype nameStart = pos;
    while (pos < n && !html[pos].isSpace() && html[pos] != u'=' && html[pos] != u'>' &&
           html[pos] != u'/')
      ++pos;
    const QString name = html.mid(nameStart, pos - nameStart).toLower();
    if (name.isEmpty()) {
      // A stray '=' starts no name: step over it alone, so that what follows
      // it cannot carry the scan past the end of the tag.
      ++pos;
      continue;
    }
    while (pos < n && html[pos].isSpace()) ++pos;
    QString value;
    if (pos < n && html[pos] == u'=') {
      ++pos;
      while (pos < n && html[pos].isSpace()) ++pos;
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
    tag.attributes.append({name, DecodeEntities(value)});
  }
}

}  // namespace

std::optional<QString> HtmlStartTag::Attribute(const QString& attribute) const {
  for (const auto& [name, value] : attributes) {
    if (name == attribute) return value;
  }
  return std::nullopt;
}

QList<HtmlStartTag> ScanStartTags(const QString& html) {
  QList<HtmlStartTag> tags;
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
    HtmlStartTag tag;
    tag.name = html.mid(pos + 1, nameEnd - pos - 1).toLower();
    pos = nameEnd;
    ReadAttributes(html, pos, tag);
    tags.append(tag);
    // The content of these elements is text, not markup.
    if (tag.name == u"script"_s || tag.name == u"style"_s) {
      const qsizetype end = html.indexOf(u"</"_s + tag.name, pos, Qt::CaseInsensitive);
      if (end < 0) break;
      pos = end;
    }
  }
  return tags;
}

QVector<DocumentElement> ScanDocumentElements(const QString& html) {
  QVector<DocumentElement> elements;
  for (const HtmlStartTag& tag : ScanStartTags(html)) {
    DocumentElement element;
    element.tagName = tag.name;
    element.isInput = tag.name == u"input"_s;
    if (element.isInput) element.value = tag.Attribute(u"value"_s);
    elements.append(element);
  }
  return elements;
}
