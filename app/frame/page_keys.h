#pragma once

// The keys a reader expects in the page view, apart from what the browser does
// with the rest: the limited copy, selecting the page, its start and end, and
// reading on past the bottom of a page as an e-book reader does.

#include <Qt>

enum class PageKeyAction {
  kNone,       // the browser's (or the window's) as usual
  kCopy,       // Ctrl+C, Ctrl+Insert: the limited copy
  kSelectAll,  // Ctrl+A
  kToStart,    // Ctrl+Home
  kToEnd,      // Ctrl+End
  kPageOn,     // PageDown, Space: down a screen, or on to the next page at the bottom
  kSwallow,    // any other Ctrl combination: it must not reach the browser's own keys
};

PageKeyAction PageKeyActionOf(int key, Qt::KeyboardModifiers modifiers);

// Whether the page view takes the key before the window's shortcuts see it:
// its own Ctrl keys. The other Ctrl combinations stay the window's (page and
// volume steps, print).
bool PageViewClaimsShortcut(int key, Qt::KeyboardModifiers modifiers);
