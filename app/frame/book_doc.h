#pragma once

#include <QObject>
#include <QString>

// The program's one document. It holds no data: the navigation panel keeps all
// state. A new document has an empty title.
class CBookDoc : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  bool OnNewDocument() {
    m_strTitle.clear();
    return true;
  }
  const QString& Title() const { return m_strTitle; }

 private:
  QString m_strTitle;
};
