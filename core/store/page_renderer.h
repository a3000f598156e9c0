#pragma once

// Rebuilding a stored page into the result frame: the title and both cells are
// carried over, the cell for the page's parity is split into main text and
// annotations, and the term is marked in the pieces the search target covers.

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quillwen {

// Which items of the searched cell are marked; follows the search tab's target.
enum HitScope : int { HitScopeFullText = 0, HitScopeMainText = 1, HitScopeAnnotations = 2 };

inline constexpr std::string_view FrameHead =
    "<html><head>\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
    "<title>";
inline constexpr std::string_view FrameBeforeLeft =
    "</title></head><div align=\"center\"><center><BODY>\t\t<TABLE border=1 cellPadding=0 "
    "cellSpacing=1 class=wd_gray height=477 width=635 bordercolor=\"#FFCC66\">\t\t<tr>  <TD "
    "height=477 width=80 vAlign=top align=\"center\" background=\"../Back.gif\">";
inline constexpr std::string_view FrameBeforeRight =
    "</TD>\t\t<TD height=477 width=450 vAlign=top align=\"center\">";
inline constexpr std::string_view FrameTail =
    "</TD> \t\t</tr></table></div></div>\t\t</center></BODY></html>";

// One marking pass of one term (UTF-8 bytes) over `page`: the whole rebuilt
// document. Parity 0 searches the first cell, 1 the second; `anchorCounter` runs
// on from its value and ends one past the last anchor placed.
std::string RenderCell(std::string_view page, std::string_view term, int parity, HitScope scope,
                       int& anchorCounter);

// The query's terms: maximal runs of characters other than U+0020 and U+3000.
std::vector<std::u16string_view> SplitQueryTerms(std::u16string_view query);

// The terms a result page is marked with, as UTF-8, each once, in the order they
// were first added. A term applied twice would only mark its hits inside the
// markers of the first pass, so repeats are dropped; a set keeps that linear in
// the number of terms however many variant spellings they come from.
class MarkTerms {
 public:
  MarkTerms();
  MarkTerms(const MarkTerms&) = delete;
  MarkTerms& operator=(const MarkTerms&) = delete;

  // Adds each term of `query` (SplitQueryTerms) not added before.
  void AddQuery(std::u16string_view query);
  const std::vector<std::string>& Terms() const { return terms_; }

 private:
  struct Hash {
    const std::vector<std::string>* terms;
    size_t operator()(size_t i) const { return std::hash<std::string>()((*terms)[i]); }
  };
  struct Equal {
    const std::vector<std::string>* terms;
    bool operator()(size_t a, size_t b) const { return (*terms)[a] == (*terms)[b]; }
  };

  std::vector<std::string> terms_;
  // Indices into terms_: each term's bytes are stored once.
  std::unordered_set<size_t, Hash, Equal> seen_;
};

}  // namespace quillwen
