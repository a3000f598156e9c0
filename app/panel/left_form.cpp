#include "app/panel/left_form.h"

#include <QLabel>
#include <QPalette>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/panel/book_pictures.h"
#include "app/panel/contents_tree.h"
#include "core/panel_model/panel_layout.h"

namespace {

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CLeftForm::CLeftForm(const quillwen::LeftFormModel::Environment& environment, QWidget* parent)
    : QWidget(parent),
      m_model(std::make_unique<quillwen::LeftFormModel>(environment)),
      m_wndTab(new QTabWidget(this)),
      m_wndTree(new ContentsTree(this)),
      m_wndRange(new QLabel(this)) {
  setObjectName(QStringLiteral("CLeftForm"));
  // Created in this order, the controls stack above the tab control.
  m_controls = {{quillwen::kTabControl, m_wndTab},
                {quillwen::kContentsTree, m_wndTree},
                {quillwen::kRangeLabel, m_wndRange}};
  for (const auto& [id, control] : m_controls) control->setObjectName(QStringLiteral("control%1").arg(id));

  m_wndTree->setIconSize(QSize(kBookPictureSize, kBookPictureSize));
  connect(m_wndTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnTreeSelectionChanged(current); });

  // The range label is drawn in red.
  QPalette red = m_wndRange->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  m_wndRange->setPalette(red);
  m_wndRange->hide();
  connect(m_wndTab, &QTabWidget::currentChanged, this, [this] { LayoutPanel(); });
}

CLeftForm::~CLeftForm() = default;

void CLeftForm::OnInitialUpdate() {
  // "検索" first, then "目録" in front of it: tab 0 is the contents.
  m_wndTab->insertTab(0, new QWidget, ToQString(kSearchTabText));
  m_wndTab->insertTab(0, new QWidget, ToQString(kContentsTabText));
  m_wndTab->setCurrentIndex(0);
  m_model->InitialUpdate();
  m_wndRange->setText(ToQString(m_model->m_strRange));
  LoadTree();
  LayoutPanel();
}

void CLeftForm::OnDestroy() {
  // The model closes the index and takes the page files with its folder.
  m_wndTree->blockSignals(true);
  m_model.reset();
}

void CLeftForm::LoadTree() {
  const quillwen::ContentsCatalogue& catalogue = m_model->m_catalogue;
  const QIcon book = BookIcon();
  m_wndTree->clear();
  m_itemOfRecord.assign(static_cast<size_t>(catalogue.m_nNodeCount), nullptr);
  // Every record's item is the last child of its parent in file order, so the
  // catalogue's tree shape, walked in order, gives the items in file order.
  std::vector<std::pair<int, QTreeWidgetItem*>> pending{{0, nullptr}};
  QList<QTreeWidgetItem*> topLevel;
  while (!pending.empty()) {
    const auto [parentRecord, parentItem] = pending.back();
    pending.pop_back();
    QList<QTreeWidgetItem*> children;
    for (int record : catalogue.TreeChildren(parentRecord)) {
      auto* item = new QTreeWidgetItem;
      item->setText(0, ToQString(catalogue.Record(record).name));
      item->setIcon(0, book);
      item->setData(0, kRecordRole, record);
      m_itemOfRecord[static_cast<size_t>(record)] = item;
      children.append(item);
      pending.emplace_back(record, item);
    }
    if (parentItem == nullptr) topLevel = children;
    else parentItem->addChildren(children);
  }
  m_wndTree->addTopLevelItems(topLevel);
}

QTreeWidgetItem* CLeftForm::ItemOfRecord(int record) const {
  if (record <= 0 || static_cast<size_t>(record) >= m_itemOfRecord.size()) return nullptr;
  return m_itemOfRecord[static_cast<size_t>(record)];
}

void CLeftForm::OnTreeSelectionChanged(QTreeWidgetItem* current) {
  if (current == nullptr || !m_model) return;
  const int record = current->data(0, kRecordRole).toInt();
  const bool pageShown = m_model->OnTreeSelectionChanged(record);
  m_wndRange->setText(ToQString(m_model->m_strRange));
  if (pageShown) emit volumeShown(record);
}

void CLeftForm::ShowPage(int record, bool useFirstPage, int32_t page) {
  if (m_model) m_model->ShowPage(record, useFirstPage, page);
}

void CLeftForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutPanel();
}

void CLeftForm::LayoutPanel() {
  quillwen::PanelLayoutInput input;
  input.width = width();
  input.height = height();
  input.selectedTab = m_wndTab->currentIndex() == 1 ? 1 : 0;
  if (m_model) {
    input.resultPages = m_model->m_paging.m_nResultPages;
    input.curResultPage = m_model->m_paging.m_nCurResultPage;
  }
  for (const auto& [id, placement] : quillwen::LayoutPanel(input)) {
    const auto control = m_controls.find(id);
    if (control == m_controls.end()) continue;  // a control of the search tab still to come
    if (placement.rect) {
      const quillwen::PanelRect& r = *placement.rect;
      control->second->setGeometry(r.x, r.y, r.width, r.height);
    }
    if (placement.visible) control->second->setVisible(*placement.visible);
    if (placement.disable) control->second->setEnabled(false);
  }
  if (QWidget* frame = window(); frame != this) frame->setWindowTitle(ToQString(quillwen::kMainWindowCaption));
}
