#include "core/panel_model/search_notes.h"

#include "core/encoding/codeconverter.h"
#include "core/panel_model/decimal_text.h"
#include "core/panel_model/left_form_model.h"
#include "core/search/code_points.h"

namespace quillwen {
namespace {

// A term as a message quotes it: a long one is cut after a few characters.
std::u16string Quoted(std::u16string_view term) {
  constexpr size_t kShownCharacters = 10;
  const std::u32string points = ToCodePoints(term);
  std::u16string shown;
  for (size_t i = 0; i < points.size() && i < kShownCharacters; ++i) AppendUtf16(shown, points[i]);
  if (points.size() > kShownCharacters) shown += u"…";
  return u"「" + shown + u"」";
}

}  // namespace

std::u16string SkippedCharactersNote(const Query& query) {
  if (query.skipped.empty()) return {};
  std::u16string note;
  for (const std::u16string& character : query.skipped) note += u"「" + character + u"」";
  return note + u"は索引にない文字なので除いて検索しました。";
}

std::u16string UnsearchableTermsMessage(const Query& query) {
  std::u16string message;
  const auto addLine = [&message](std::u16string line) {
    if (!message.empty()) message += u'\n';
    message += line;
  };
  for (size_t i = 0; i < query.terms.size(); ++i) {
    const std::u16string& typed = query.typedTerms[i];
    if (query.terms[i].size() > kMaxNormalisedTermUnits) {
      // The closing "*" of the normalised term takes one unit.
      addLine(Quoted(typed) + u"は長すぎて検索できません（一語は " +
              DecimalText(static_cast<int64_t>(kMaxNormalisedTermUnits - 1)) + u" 字まで）。");
    } else if (!LooksUpAnyCharacter(typed)) {
      addLine(Quoted(typed) + u"には検索できる文字がありません。");
    }
  }
  return message;
}

std::u16string PagesUnreadableMessage(const DataFault& fault) {
  return u"頁を読めなかったため、文脈を示せない箇所があります。\n" + Utf8ToUtf16(fault.Text());
}

std::u16string VariantTableNote(const CIndex& index) {
  std::u16string note;
  if (index.VariantTableRefused()) {
    note = kVariantTableRefusedMessage;
  } else if (index.VariantTableMissing()) {
    note = kVariantTableMissingMessage;
  } else {
    return note;
  }
  if (!index.VariantTableFault().problem.empty())
    note += u"\n" + Utf8ToUtf16(index.VariantTableFault().Text());
  return note;
}

}  // namespace quillwen
