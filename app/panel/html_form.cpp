#include "app/panel/html_form.h"

#include <QStringList>

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
