#pragma once

// The query input page on the search tab. QTextBrowser shows HTML but has no
// form fields, so this control reads the page itself and builds just what the
// query page needs: the body's colours and margins, and each input element as
// an editable field with its name, size and style. The search command reads
// the keywords back through DocumentElements(), as it would from a browser.

#include <QString>
#include <QVector>
#include <QWidget>
#include <vector>

#include "app/platform/browser_control.h"

class QLineEdit;

inline constexpr char kQueryPageResource[] = ":/input.htm";

class CHtmlCtrl : public QWidget {
  Q_OBJECT

 public:
  explicit CHtmlCtrl(QWidget* parent = nullptr);

  // Shows the page stored among the program's resources (":/input.htm").
  // False, and no document, when the resource cannot be read.
  bool LoadFromResource(const QString& resourceName);
  // Replaces the document; fields of the previous one go with it.
  void LoadHtml(const QString& html);

  bool HasDocument() const { return hasDocument_; }
  // Every element of the document in document order; an input element's value
  // is its field's current text.
  QVector<DocumentElement> DocumentElements() const;
  // The field of the input element named `name`, or null.
  QLineEdit* Field(const QString& name) const;
  // The shown fields in document order.
  QList<QLineEdit*> Fields() const;

 private:
  struct Element {
    QString tagName;
    QLineEdit* field = nullptr;  // input elements that are shown
    QString fixedValue;          // hidden input elements
  };

  std::vector<Element> elements_;
  bool hasDocument_ = false;
};
