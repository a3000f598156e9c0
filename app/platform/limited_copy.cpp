#include "app/platform/limited_copy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

std::optional<QString> LimitedCopyText(const QString& text) {
  // Far the most copies are short: no count where the UTF-16 units fit.
  if (text.size() <= kCopyLimitChars) return std::nullopt;
  qsizetype end = 0;
  for (qsizetype characters = 0; characters < kCopyLimitChars; ++characters) {
    if (end >= text.size()) return std::nullopt;
    const bool pair =
        text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
    end += pair ? 2 : 1;
  }
  if (end >= text.size()) return std::nullopt;
  return text.left(end);
}

QString LimitedCopyOf(const QString& text) { return LimitedCopyText(text).value_or(text); }

bool LimitClipboardText() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
  if (data == nullptr || !data->hasText()) return false;
  const std::optional<QString> limited = LimitedCopyText(data->text());
  if (!limited) return false;
  clipboard->clear(QClipboard::Clipboard);
  auto* replacement = new QMimeData;  // the clipboard takes ownership
  replacement->setText(*limited);
  clipboard->setMimeData(replacement, QClipboard::Clipboard);
  return true;
}
