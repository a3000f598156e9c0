#pragma once

// The variant table "yitizi.txt": groups of characters that are variants of one
// another (simplified and traditional forms, Chinese and Japanese forms, ...).
//
// File: ASCII text, one group per line (LF; a CR before the LF is dropped; empty
// lines are skipped). A line's fields are separated by ","; empty fields are
// skipped. A field is a hexadecimal code point: leading white space skipped, an
// optional "0x"/"0X", then digits up to the first other character; a field
// without digits reads as 0. Example: "4F53,9AD4" makes U+4F53 and U+9AD4 one group.
//
// Groups are numbered from 0 in line order; a line of commas only is an empty
// group that still takes its number. Group g is identifier VariantIdBase + g in
// the index, whose tables end at identifier 99999: only the first
// kMaxVariantGroups (11935) lines become groups, later lines are ignored, so a
// character of a later line is looked up on its own and expanded to itself. A code
// point may stand in several groups; only its first group counts. Members beyond
// kMaxVariantMember (U+10FFFF) can be neither typed nor written as UTF-16 and are
// left out.
//
// Tables are written in the plainest form the reader takes: members as uppercase
// hexadecimal without "0x", joined by ",", every line ended by LF, and an empty
// group as a lone ",".

#include "core/search/index_format.h"  // VariantIdBase, kMaxVariantGroups

namespace quillwen {

inline constexpr char kVariantTableFileName[] = "yitizi.txt";
inline constexpr char32_t kMaxVariantMember = 0x10FFFF;

}  // namespace quillwen
