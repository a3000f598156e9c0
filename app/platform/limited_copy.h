#pragma once

// The page view's own copy puts at most 300 characters on the clipboard, the
// "300字" its menu item names (600 bytes of a double-byte code page). They are
// counted as characters, a surrogate pair being one, and the cut falls between
// two characters, never inside one.

#include <QString>
#include <optional>

inline constexpr qsizetype kCopyLimitChars = 300;

// The text to put on the clipboard in place of `text`, or nullopt when `text`
// may stay as it is (300 characters or fewer): its first 300 characters.
std::optional<QString> LimitedCopyText(const QString& text);
// `text` as the limited copy leaves it.
QString LimitedCopyOf(const QString& text);

// Applies the limit to the clipboard's plain text: a longer text replaces
// everything on the clipboard (other formats included) by its first 300
// characters. True when the clipboard was changed.
bool LimitClipboardText();

// The status bar's word after a copy that was cut.
inline constexpr char16_t kCopyCutMessage[] =
    u"300字を超えたため、先頭の300字だけをコピーしました。";
