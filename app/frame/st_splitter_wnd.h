#pragma once

// The main window's two panes side by side (or stacked), one of which can be
// hidden and shown again at its earlier size. When it goes, it writes its pane
// record "Panes_<level>" = "hiddenColumn firstSize hiddenRow secondSize" to
// section "SplitterWnd" of the settings store; the next run's panes start with
// the first pane's share of the two from it, both shown. As the window changes
// size the first pane keeps its share of it, not its pixels.

#include <QSplitter>
#include <QString>
#include <optional>

class ST_SplitterWnd : public QSplitter {
  Q_OBJECT

 public:
  // The least size the first pane starts with when no record gives its share:
  // its size hint when that is larger, but never more than half the splitter.
  static constexpr int kFirstPaneSize = 260;
  static constexpr int kSecondPaneSize = 100;

  explicit ST_SplitterWnd(int level, QWidget* parent = nullptr);
  // Writes the pane record (SaveSizes).
  ~ST_SplitterWnd() override;

  // Takes the two panes; `columns` puts them side by side, else stacked. Either
  // may be null (the pane is then missing, as when its creation failed). The
  // first pane takes the share the pane record keeps, or its first size.
  bool CreatePanes(QWidget* firstPane, QWidget* secondPane, bool columns);

  // Hides pane `index` when none is hidden, shows it again when it is the hidden
  // one, and does nothing otherwise.
  void TogglePane(int index);
  void HidePane(int index);
  void ShowHiddenPane();
  // Remembers both panes' sizes and minimum sizes while none is hidden.
  void CaptureSizes();
  void SaveSizes();
  // "%d %d %d %d" from m_nHiddenColumn, m_nFirstSize, m_nHiddenRow, m_nSecondSize.
  QString PaneRecord() const;
  QString PaneRecordName() const;
  // The first pane's share of both panes in a pane record; nothing when the
  // record is not four numbers or a size is not a usable one.
  static std::optional<double> FirstShareOfRecord(const QString& record);
  // The first pane's size for the whole extent `total` of both panes.
  int FirstSizeFor(int total) const;

  // The pane that commands go to first; pane 0 at start. Focus moving into a
  // pane makes it the active one.
  int ActivePane() const { return m_nActivePane; }
  void SetActivePane(int index);

  int m_nHiddenColumn = -1;
  int m_nHiddenRow = -1;
  int m_nFirstSize = 100;
  int m_nSecondSize = 100;
  int m_nFirstMin = 10;
  int m_nSecondMin = 10;
  bool m_bColumns = true;
  QString m_strSection = QStringLiteral("SplitterWnd");
  int m_nLevel;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Gives the panes their shares of the splitter's extent.
  void ApplyShare();
  int& HiddenIndex() { return m_bColumns ? m_nHiddenColumn : m_nHiddenRow; }
  int HiddenIndex() const { return m_bColumns ? m_nHiddenColumn : m_nHiddenRow; }
  int Extent(const QSize& size) const { return m_bColumns ? size.width() : size.height(); }
  int MinimumExtent(QWidget* pane) const;
  void OnFocusChanged(QWidget* now);

  int m_nActivePane = 0;
  // The first pane's share of both panes; nothing until the record gives it
  // or the panes are first laid out.
  std::optional<double> m_firstShare;
  bool m_bLaidOut = false;  // the panes have had their extent once
};
