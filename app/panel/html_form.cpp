#include "app/panel/html_form.h"

#include <QRegularExpression>

std::optional<QString> HtmlStartTag::Attribute(const QString& attribute) const {
  for (const auto& [name, value] : attributes) {
    if (name == attribute) return value;
  }
  return std::nullopt;
}

QList<HtmlStartTag> ScanStartTags(const QString& html) {
  static const QRegularExpression comment(QStringLiteral("<!--.*?-->"),
                                          QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression tag(QStringLiteral("<([A-Za-z][A-Za-z0-9:_-]*)([^>]*)>"));
  static const QRegularExpression attribute(
      QString::fromLatin1(R"re(([^\s=/>"']+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>"']+)))?)re"));
  QString text = html;
  text.replace(comment, QString());
  QList<HtmlStartTag> tags;
  for (auto it = tag.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    HtmlStartTag start;
    start.name = match.captured(1).toLower();
    for (auto a = attribute.globalMatch(match.captured(2)); a.hasNext();) {
      const QRegularExpressionMatch pair = a.next();
      QString value = pair.captured(2);
      if (value.isEmpty()) value = pair.captured(3);
      if (value.isEmpty()) value = pair.captured(4);
      start.attributes.append({pair.captured(1).toLower(), value});
    }
    tags.append(start);
  }
  return tags;
}

std::optional<QString> StyleProperty(const QString& style, const QString& property) {
  for (const QString& declaration : style.split(u';', Qt::SkipEmptyParts)) {
    const qsizetype colon = declaration.indexOf(u':');
    if (colon < 0) continue;
    if (declaration.left(colon).trimmed().compare(property, Qt::CaseInsensitive) == 0) {
      return declaration.mid(colon + 1).trimmed();
    }
  }
  return std::nullopt;
}
