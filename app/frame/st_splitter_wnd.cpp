#include "app/frame/st_splitter_wnd.h"

#include <QApplication>
#include <algorithm>

#include "app/platform/settings_store.h"

ST_SplitterWnd::ST_SplitterWnd(int level, QWidget* parent) : QSplitter(parent), m_nLevel(level) {
  setChildrenCollapsible(false);
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
}

ST_SplitterWnd::~ST_SplitterWnd() { SaveSizes(); }

bool ST_SplitterWnd::CreatePanes(QWidget* firstPane, QWidget* secondPane, bool columns) {
  m_bColumns = columns;
  setOrientation(columns ? Qt::Horizontal : Qt::Vertical);
  if (firstPane != nullptr) addWidget(firstPane);
  if (secondPane != nullptr) addWidget(secondPane);
  if (count() == 2) {
    // Between two changes of the window's size, what the panes are given
    // beyond their sizes goes to the page view; the shares are kept by
    // ApplyShare.
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    m_firstShare = FirstShareOfRecord(ReadSettingString(m_strSection, PaneRecordName()));
    setSizes({kFirstPaneSize, kSecondPaneSize});
  }
  return true;
}

int ST_SplitterWnd::MinimumExtent(QWidget* pane) const {
  return Extent(pane->minimumSizeHint().expandedTo(pane->minimumSize()));
}

void ST_SplitterWnd::CaptureSizes() {
  if (HiddenIndex() != -1 || count() < 2) return;
  const QList<int> current = sizes();
  m_nFirstSize = current[0];
  m_nSecondSize = current[1];
  m_nFirstMin = MinimumExtent(widget(0));
  m_nSecondMin = MinimumExtent(widget(1));
}

void ST_SplitterWnd::TogglePane(int index) {
  if (HiddenIndex() == -1)
    HidePane(index);
  else if (index == HiddenIndex())
    ShowHiddenPane();
}

void ST_SplitterWnd::HidePane(int index) {
  if (count() < 2 || index < 0 || index >= count() || HiddenIndex() != -1) return;
  CaptureSizes();
  // The share it comes back with: the panes as they stand, however set.
  if (m_nFirstSize > 0 && m_nSecondSize > 0)
    m_firstShare = static_cast<double>(m_nFirstSize) / (m_nFirstSize + m_nSecondSize);
  HiddenIndex() = index;
  if (m_nActivePane == index) SetActivePane(index + 1 < count() ? index + 1 : 0);
  // The hidden pane keeps its place in the splitter; the other fills it.
  widget(index)->hide();
}

void ST_SplitterWnd::ShowHiddenPane() {
  const int index = HiddenIndex();
  if (index == -1) return;
  HiddenIndex() = -1;
  widget(index)->show();
  // The panes return at the shares they had when one was hidden, whatever the
  // window did in between.
  ApplyShare();
}

QString ST_SplitterWnd::PaneRecord() const {
  return QStringLiteral("%1 %2 %3 %4")
      .arg(m_nHiddenColumn)
      .arg(m_nFirstSize)
      .arg(m_nHiddenRow)
      .arg(m_nSecondSize);
}

QString ST_SplitterWnd::PaneRecordName() const { return QStringLiteral("Panes_%1").arg(m_nLevel); }

std::optional<double> ST_SplitterWnd::FirstShareOfRecord(const QString& record) {
  // Sizes beyond any screen are a damaged record, not a layout to restore.
  constexpr int kLargestSize = 16384;
  const QStringList fields = record.split(u' ');
  if (fields.size() != 4) return std::nullopt;
  int numbers[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    numbers[i] = fields[i].toInt(&ok);
    if (!ok) return std::nullopt;
  }
  const int firstSize = numbers[1];
  const int secondSize = numbers[3];
  if (firstSize <= 0 || firstSize > kLargestSize || secondSize <= 0 || secondSize > kLargestSize)
    return std::nullopt;
  return static_cast<double>(firstSize) / (firstSize + secondSize);
}

int ST_SplitterWnd::FirstSizeFor(int total) const {
  if (total <= 0) return 0;
  if (m_firstShare) return qRound(*m_firstShare * total);
  const int hinted = count() > 0 ? Extent(widget(0)->sizeHint()) : 0;
  return std::min(std::max(kFirstPaneSize, hinted), total / 2);
}

void ST_SplitterWnd::resizeEvent(QResizeEvent* event) {
  // The share the panes have now, the bar moved by the user or set by the
  // program since the last change of size included.
  if (m_bLaidOut && isVisible() && count() == 2 && HiddenIndex() == -1) {
    const QList<int> now = sizes();
    if (now[0] > 0 && now[1] > 0) m_firstShare = static_cast<double>(now[0]) / (now[0] + now[1]);
  }
  QSplitter::resizeEvent(event);
  // Laid out while hidden, the window has not its size yet: the first share
  // is taken when it is shown.
  if (isVisible()) ApplyShare();
}

void ST_SplitterWnd::showEvent(QShowEvent* event) {
  QSplitter::showEvent(event);
  ApplyShare();
}

void ST_SplitterWnd::ApplyShare() {
  if (count() != 2 || HiddenIndex() != -1) return;
  const int total = Extent(size()) - handleWidth();
  if (total <= 0) return;
  const int first = FirstSizeFor(total);
  if (!m_firstShare) m_firstShare = static_cast<double>(first) / total;
  setSizes({first, total - first});
  m_bLaidOut = true;
}

void ST_SplitterWnd::SaveSizes() {
  CaptureSizes();
  if (m_nFirstSize == -1) m_nFirstSize = 100;
  if (m_nSecondSize == -1) m_nSecondSize = 100;
  // An unwritable store loses the record silently: the next run starts at the
  // panes' first sizes.
  WriteSettingString(m_strSection, PaneRecordName(), PaneRecord());
}

void ST_SplitterWnd::SetActivePane(int index) {
  if (index < 0 || index >= count()) return;
  m_nActivePane = index;
  QWidget* pane = widget(index);
  if (pane->isVisible() && !pane->isAncestorOf(QApplication::focusWidget()))
    pane->setFocus(Qt::OtherFocusReason);
}

void ST_SplitterWnd::OnFocusChanged(QWidget* now) {
  for (int i = 0; i < count(); ++i) {
    if (widget(i) == now || widget(i)->isAncestorOf(now)) {
      m_nActivePane = i;
      return;
    }
  }
}
