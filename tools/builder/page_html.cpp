#include "tools/builder/page_html.h"

#include <cstdio>

#include "tools/builder/utf8.h"

namespace quillwen::build {
namespace {

constexpr char kHead[] =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
    "<style>td{vertical-align:top;padding:0 1em}.m{width:5em;color:#8a7f6e;font-size:small}"
    "</style><title>";
constexpr char kBeforeTable[] = "</title></head><body><table width=\"100%\"><tr>";
constexpr char kTail[] = "</tr></table></body></html>";

void AppendRun(std::string& out, const TextRun& run) {
  std::string utf8;
  utf8.reserve(run.text.size() * 3);
  for (char32_t c : run.text) {
    if (c == U'\n') {
      AppendEscaped(out, utf8);
      out += "<br>";
      utf8.clear();
    } else {
      AppendUtf8(utf8, c);
    }
  }
  AppendEscaped(out, utf8);
}

void AppendMargin(std::string& out, const PageLabels& labels, uint32_t pageNumber) {
  AppendEscaped(out, labels.book);
  out += "<br>";
  AppendEscaped(out, labels.volume);
  out += "<br>";
  out += std::to_string(pageNumber);
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out.push_back(c);
    }
  }
}

std::string RenderTextCell(const LaidOutPage& page) {
  std::string out;
  for (const TextBlock& block : page.blocks) {
    const bool heading = block.kind == BlockKind::kHeading;
    out += heading ? "<h4>" : "<p>";
    for (const TextRun& run : block.runs) {
      if (run.annotation) out += kAnnotationOpenTag;
      AppendRun(out, run);
      if (run.annotation) out += kAnnotationCloseTag;
    }
    out += heading ? "</h4>" : "</p>";
  }
  return out;
}

std::string RenderStoredPage(const LaidOutPage& page, const PageLabels& labels,
                             uint32_t pageNumber) {
  std::string out = kHead;
  AppendEscaped(out, labels.book);
  out += ' ';
  AppendEscaped(out, labels.volume);
  out += ' ';
  out += std::to_string(pageNumber);
  out += kBeforeTable;
  const std::string text = "<TD>" + RenderTextCell(page) + "</TD>";
  std::string margin = "<TD class=\"m\">";
  AppendMargin(margin, labels, pageNumber);
  margin += "</TD>";
  if (pageNumber % 2 == 0) {
    out += text;
    out += margin;
  } else {
    out += margin;
    out += text;
  }
  out += kTail;
  return out;
}

std::string EntryName(uint32_t volumeNumber, uint32_t pageNumber) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "V%05u\\%u.htm", static_cast<unsigned>(volumeNumber),
                static_cast<unsigned>(pageNumber));
  return buffer;
}

}  // namespace quillwen::build
