#include "app/frame/page_keys.h"

PageKeyAction PageKeyActionOf(int key, Qt::KeyboardModifiers modifiers) {
  // A key of the keypad is the same key.
  modifiers &= ~Qt::KeypadModifier;
  if (modifiers == Qt::ControlModifier) {
    switch (key) {
      case Qt::Key_C:
      case Qt::Key_Insert:
        return PageKeyAction::kCopy;
      case Qt::Key_A:
        return PageKeyAction::kSelectAll;
      case Qt::Key_Home:
        return PageKeyAction::kToStart;
      case Qt::Key_End:
        return PageKeyAction::kToEnd;
      default:
        break;
    }
  }
  if (modifiers == Qt::NoModifier && (key == Qt::Key_PageDown || key == Qt::Key_Space))
    return PageKeyAction::kPageOn;
  // Ctrl pressed alone is no combination yet.
  if ((modifiers & Qt::ControlModifier) && key != Qt::Key_Control) return PageKeyAction::kSwallow;
  return PageKeyAction::kNone;
}

bool PageViewClaimsShortcut(int key, Qt::KeyboardModifiers modifiers) {
  switch (PageKeyActionOf(key, modifiers)) {
    case PageKeyAction::kCopy:
    case PageKeyAction::kSelectAll:
    case PageKeyAction::kToStart:
    case PageKeyAction::kToEnd:
      return true;
    default:
      return false;
  }
}
