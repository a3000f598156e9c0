#pragma once

// What a search tells the user about its query beyond the counts: characters it
// left out, and terms that can find nothing, so that no 0 goes unexplained.

#include <string>

#include "core/search/index.h"
#include "core/search/query.h"

namespace quillwen {

// "「。」は索引にない文字なので除いて検索しました。" naming every character the
// search left out; empty when it left none out.
std::u16string SkippedCharactersNote(const Query& query);

// One line for each term that can find nothing: one with no character the index
// looks up (only "*", "?" or left-out characters), or one longer than a term can
// be. Empty when every term can be searched.
std::u16string UnsearchableTermsMessage(const Query& query);

// After a search with the variant check box ticked that counted variants as
// different characters: the variant table was refused or is missing. The
// sentence, then the file and what is wrong with it. Empty when variants counted.
std::u16string VariantTableNote(const CIndex& index);

// After hit rows whose page could not be read for their text: the sentence,
// then the file and what is wrong with it.
std::u16string PagesUnreadableMessage(const DataFault& fault);

}  // namespace quillwen
