#pragma once

// What a search tells the user about its query beyond the counts: characters it
// left out, and terms that can find nothing, so that no 0 goes unexplained.

#include <string>

#include "core/search/query.h"

namespace quillwen {

// "「。」は索引にない文字なので除いて検索しました。" naming every character the
// search left out; empty when it left none out.
std::u16string SkippedCharactersNote(const Query& query);

// One line for each term that can find nothing: one with no character the index
// looks up (only "*", "?" or left-out characters), or one longer than a term can
// be. Empty when every term can be searched.
std::u16string UnsearchableTermsMessage(const Query& query);

}  // namespace quillwen
