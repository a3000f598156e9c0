#include "app/platform/limited_copy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

std::optional<QByteArray> LimitedCopyText(const QByteArray& text) {
  if (text.size() <= kCopyLimitBytes) return std::nullopt;
  qsizetype cut = kCopyLimitBytes;
  // UTF-8 continuation bytes are 10xxxxxx; text[cut] exists because the text is longer.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.left(cut);
}

QString LimitedCopyOf(const QString& text) {
  const std::optional<QByteArray> limited = LimitedCopyText(text.toUtf8());
  return limited ? QString::fromUtf8(*limited) : text;
}

bool LimitClipboardText() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
  if (data == nullptr || !data->hasText()) return false;
  const std::optional<QByteArray> limited = LimitedCopyText(data->text().toUtf8());
  if (!limited) return false;
  clipboard->clear(QClipboard::Clipboard);
  auto* replacement = new QMimeData;  // the clipboard takes ownership
  replacement->setText(QString::fromUtf8(*limited));
  clipboard->setMimeData(replacement, QClipboard::Clipboard);
  return true;
}
