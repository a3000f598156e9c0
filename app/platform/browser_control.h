#pragma once

// What the program asks of whatever displays its HTML documents: the page view
// and, later, the query input page host one each. Nothing here names the engine,
// so another one can take the place of the text browser behind this interface.

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

// Command numbers and options as the documents' commands know them.
enum class BrowserCommand : int {
  kPrint = 6,
  kPageSetup = 8,
  kPrintPreview = 7,
  kCopy = 12,
  kSelectAll = 17
};
enum class BrowserCommandOption : int { kPromptUser = 1, kDontPromptUser = 2 };
enum class BrowserCommandQuery { kCopy, kCut, kPaste };

struct DocumentElement {
  QString tagName;               // lower case
  bool isInput = false;          // an <input> element
  std::optional<QString> value;  // an input element's value, when it has one
};

inline constexpr char kBlankLocation[] = "about:blank";

class BrowserControl {
 public:
  virtual ~BrowserControl() = default;

  // The widget that shows the document, for the host to place.
  virtual QWidget* Widget() = 0;

  // "about:blank", or a local file's full path optionally followed by "#" and an
  // anchor name; with an anchor the view scrolls to <a name="...">.
  virtual void Navigate(const QString& location) = 0;
  // Shows an HTML document that is a resource of the program (":/..." name).
  virtual void LoadFromResource(const QString& resourceName) = 0;
  // Exactly "about:blank" until something else has been loaded.
  virtual QString CurrentLocation() const = 0;
  // Every element of the loaded document in document order.
  virtual QVector<DocumentElement> DocumentElements() const = 0;
  // The selected part of the document as plain text, as the copy command puts
  // it on the clipboard; empty without a selection.
  virtual QString SelectedText() const = 0;
  // How many headings of the document stand above the start of the selection
  // (or of the caret), the one it starts in included: which heading a cited
  // text stands under.
  virtual int HeadingsAboveSelection() const = 0;

  virtual void Execute(BrowserCommand command, BrowserCommandOption option,
                       const std::optional<QString>& argument = std::nullopt) = 0;
  virtual bool QueryCommandEnabled(BrowserCommandQuery query) const = 0;

  // Called after a new document has been shown (a jump to an anchor of the
  // document shown is not one).
  virtual void SetDocumentShownHandler(std::function<void()> handler) = 0;

  // Scrolls to the top or the bottom of the document.
  virtual void ScrollToStart() = 0;
  virtual void ScrollToEnd() = 0;
  // The bottom of the document is in view (so is all of a short one).
  virtual bool IsAtEnd() const = 0;

  // The point size of the document's text.
  virtual int TextSize() const = 0;
  virtual void SetTextSize(int pointSize) = 0;

  // Marks every occurrence of `text` in the document shown and returns how
  // many there are; an empty text marks nothing. The marks go with the
  // document.
  virtual int FindAll(const QString& text) = 0;
  // Brings match `index` of the last FindAll into view, set apart from the others.
  virtual void ShowFindMatch(int index) = 0;
  virtual void ClearFind() = 0;

  // The printer the print commands use, kept between them as page settings are.
  virtual QPrinter& Printer() = 0;
  // Prints the document shown on `printer`; false with the reason, in words
  // for the user, when nothing could be printed.
  virtual bool PrintTo(QPrinter& printer, QString* reason) = 0;
};
