#pragma once

// The page view's own copy puts at most 600 bytes of plain text on the
// clipboard: 300 characters of a double-byte code page, the "300字" its menu
// item names. Plain text here is UTF-8.

#include <QByteArray>
#include <optional>

inline constexpr qsizetype kCopyLimitBytes = 600;

// The text to put on the clipboard in place of `text`, or nullopt when `text`
// may stay as it is (600 bytes or fewer). The cut steps back from byte 600 to
// the start of the character it falls in, so no broken character is left.
std::optional<QByteArray> LimitedCopyText(const QByteArray& text);
// `text` as the limited copy leaves it: the whole of it up to 600 bytes, else
// its first characters that fit.
QString LimitedCopyOf(const QString& text);

// Applies the limit to the clipboard's plain text: a longer text replaces
// everything on the clipboard (other formats included) by its first bytes.
// True when the clipboard was changed.
bool LimitClipboardText();
