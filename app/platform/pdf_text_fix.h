#pragma once

// Printed pages must be searchable as the characters shown. Qt's PDF writer
// names the character of each glyph, in a font's ToUnicode map, by the lowest
// code point that the font maps to the glyph, and CJK fonts give the Kangxi
// radicals, the radical supplement and the strokes the glyphs of the ideographs
// they look like: 月 printed came out of the PDF as ⽉ (U+2F49). This rewrites
// those maps so that such a glyph names its unified ideograph (a radical of
// the page's own text then reads as that ideograph too, which is what a reader
// searching the PDF wants).

#include <optional>
#include <string>
#include <string_view>

class QString;

namespace quillwen {

// The unified ideograph a radical or stroke stands for; `codePoint` itself for
// any other character.
char32_t IdeographOfRadical(char32_t codePoint);

// `pdf` with every ToUnicode map rewritten, its stream lengths and cross-
// reference offsets kept right; nothing when no map names a radical, or when
// the file is not laid out as this expects (it is then best left as it is).
std::optional<std::string> NameIdeographsForRadicals(std::string_view pdf);

// The same on a PDF file, in place. False, with `reason`, only when the file
// needed the change and could not be rewritten.
bool NameIdeographsForRadicalsInFile(const QString& file, QString* reason);

}  // namespace quillwen
