#pragma once

// The bar under the page that finds a text in the page shown: a field, the
// steps back and forth, the "n / N" of the current match and a close button.
// It only reads input and shows what it is given; the page view does the
// finding.

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

inline constexpr char16_t kFindBarPrompt[] = u"頁内検索：";
inline constexpr char16_t kFindPreviousText[] = u"前へ";
inline constexpr char16_t kFindNextText[] = u"次へ";
inline constexpr char16_t kFindCloseText[] = u"閉じる";

class CPageFindBar : public QWidget {
  Q_OBJECT

 public:
  explicit CPageFindBar(QWidget* parent = nullptr);

  QLineEdit* Field() const { return m_field; }
  QString Text() const;
  QString Label() const;
  void SetLabel(const QString& text);

 signals:
  void textChanged(const QString& text);
  void nextRequested();      // Enter, or the 次へ button
  void previousRequested();  // Shift+Enter, or the 前へ button
  void closeRequested();     // Esc, or the 閉じる button

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* m_field;
  QToolButton* m_previous;
  QToolButton* m_next;
  QToolButton* m_close;
  QLabel* m_count;
};
