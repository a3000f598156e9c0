#include "app/panel/left_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/panel/book_pictures.h"
#include "app/panel/contents_tree.h"
#include "app/panel/html_ctrl.h"
#include "app/panel/sort_list_ctrl.h"
#include "app/platform/program_resources.h"
#include "app/platform/qt_text.h"
#include "app/platform/settings_store.h"
#include "app/platform/tooltip_button.h"
#include "core/panel_model/panel_layout.h"

namespace {

inline constexpr char kPreviousPageStrip[] = ":/page_previous.png";  // bitmap 184
inline constexpr char kNextPageStrip[] = ":/page_next.png";          // bitmap 185

}  // namespace

CLeftForm::CLeftForm(const quillwen::LeftFormModel::Environment& environment, QWidget* parent)
    : QWidget(parent),
      m_model(std::make_unique<quillwen::LeftFormModel>(environment)),
      m_messages(*environment.messages),
      m_wndTab(new QTabWidget(this)),
      m_wndTree(new ContentsTree(this)),
      m_wndRange(new QLabel(this)) {
  setObjectName(QStringLiteral("CLeftForm"));
  // Created in this order, the controls stack above the tab control.
  m_controls = {{quillwen::kTabControl, m_wndTab},
                {quillwen::kContentsTree, m_wndTree},
                {quillwen::kRangeLabel, m_wndRange}};
  for (const auto& [id, control] : m_controls)
    control->setObjectName(QStringLiteral("control%1").arg(id));

  m_wndTree->setIconSize(QSize(kBookPictureSize, kBookPictureSize));
  connect(m_wndTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnTreeSelectionChanged(current); });

  // The range label is drawn in red.
  QPalette red = m_wndRange->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  m_wndRange->setPalette(red);
  m_wndRange->hide();
  CreateSearchTab();
  connect(m_wndTab, &QTabWidget::currentChanged, this, [this] {
    QWidget* focus = QApplication::focusWidget();
    const bool hadFocus = focus != nullptr && isAncestorOf(focus) && !m_wndTab->isAncestorOf(focus);
    LayoutPanel();
    // A control of the other tab had the focus: it goes to this tab's first
    // control, not to wherever the focus chain leads past hidden controls.
    if (hadFocus) {
      if (QWidget* control = DefaultFocusControl()) control->setFocus(Qt::OtherFocusReason);
    }
  });
  WatchForEnter(this);
}

void CLeftForm::CreateSearchTab() {
  EnsureProgramResources();
  using namespace quillwen;
  auto group = [this](const char16_t* text) {
    auto* box = new QGroupBox(ToQString(text), this);
    box->hide();
    return box;
  };
  // Group boxes first: everything created after them stacks above their frames.
  m_controls[kMethodGroup] = group(u"検索方法：");
  m_controls[kTargetGroup] = group(u"検索対象：");
  m_controls[kRangeGroup] = group(u"検索範囲：");

  m_wndPrompt = new QLabel(this);
  m_wndInput = new CHtmlCtrl(this);
  m_wndSearch = new QPushButton(this);
  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);
  m_wndVariants = new QCheckBox(QStringLiteral("簡繁・中日等の異体字の関連"), this);

  m_methodGroup = new QButtonGroup(this);
  auto* methodAnd = new QRadioButton(QStringLiteral("and"), this);
  auto* methodOr = new QRadioButton(QStringLiteral("or"), this);
  m_methodGroup->addButton(methodAnd, static_cast<int>(SearchMethod::kAnd));
  m_methodGroup->addButton(methodOr, static_cast<int>(SearchMethod::kOr));

  m_targetGroup = new QButtonGroup(this);
  auto* fullText = new QRadioButton(QStringLiteral("全文"), this);
  auto* mainText = new QRadioButton(QStringLiteral("正文"), this);
  auto* annotations = new QRadioButton(QStringLiteral("注釈"), this);
  m_targetGroup->addButton(fullText, static_cast<int>(SearchTarget::kFullText));
  m_targetGroup->addButton(mainText, static_cast<int>(SearchTarget::kMainText));
  m_targetGroup->addButton(annotations, static_cast<int>(SearchTarget::kAnnotations));
  m_wndWhole = new QPushButton(ToQString(kWholeCollectionButtonText), this);

  m_wndSummary = new QLabel(ToQString(m_model->Summary()), this);
  m_viewGroup = new QButtonGroup(this);
  auto* viewPages = new QRadioButton(ToQString(kViewPagesText), this);
  auto* viewHits = new QRadioButton(ToQString(kViewHitsText), this);
  m_viewGroup->addButton(viewPages, static_cast<int>(ResultView::kPages));
  m_viewGroup->addButton(viewHits, static_cast<int>(ResultView::kHits));
  m_wndList = new CSortListCtrl(this);

  m_wndPrevious = new CToolTipResourceButton(this);
  m_wndNext = new CToolTipResourceButton(this);
  m_wndPrevious->LoadStrip(QString::fromLatin1(kPreviousPageStrip));
  m_wndNext->LoadStrip(QString::fromLatin1(kNextPageStrip));
  m_wndPrevious->SetToolTipText(QStringLiteral("Previous Page"), true);
  m_wndNext->SetToolTipText(QStringLiteral("Next Page"), true);
  m_wndPageEdit = new QLineEdit(this);
  m_wndPageEdit->setAlignment(Qt::AlignCenter);
  m_wndPageEdit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_wndPageEdit));
  m_wndPageCount = new QLabel(this);
  auto* unusedEdit = new QLineEdit(this);

  m_controls.insert({{kPromptLabel, m_wndPrompt},
                     {kQueryInputPage, m_wndInput},
                     {kSearchButton, m_wndSearch},
                     {kSeparatorLine, separator},
                     {kVariantCheckBox, m_wndVariants},
                     {kMethodAnd, methodAnd},
                     {kMethodOr, methodOr},
                     {kTargetFullText, fullText},
                     {kTargetMainText, mainText},
                     {kTargetAnnotations, annotations},
                     {kWholeCollectionButton, m_wndWhole},
                     {kSummaryLabel, m_wndSummary},
                     {kViewPages, viewPages},
                     {kViewHits, viewHits},
                     {kResultList, m_wndList},
                     {kPreviousListPage, m_wndPrevious},
                     {kNextListPage, m_wndNext},
                     {kListPageEdit, m_wndPageEdit},
                     {kListPageCount, m_wndPageCount},
                     {kUnusedEdit, unusedEdit}});
  for (const auto& [id, control] : m_controls) {
    control->setObjectName(QStringLiteral("control%1").arg(id));
    if (id == kTabControl) continue;
    control->hide();
    if (qobject_cast<QGroupBox*>(control) == nullptr) control->raise();
  }

  // The controls start as the model's fields do.
  m_methodGroup->button(static_cast<int>(m_model->Method()))->setChecked(true);
  m_targetGroup->button(static_cast<int>(m_model->Target()))->setChecked(true);
  m_wndVariants->setChecked(m_model->Variants());
  m_viewGroup->button(static_cast<int>(m_model->View()))->setChecked(true);
  connect(m_wndSearch, &QPushButton::clicked, this, [this] { OnSearch(); });
  connect(m_targetGroup, &QButtonGroup::idClicked, this,
          [this](int target) { OnSearchTargetChanged(target); });
  connect(m_wndPrevious, &QPushButton::clicked, this, [this] {
    if (m_model) Paint(m_model->PreviousResultPage());
  });
  connect(m_wndNext, &QPushButton::clicked, this, [this] {
    if (m_model) Paint(m_model->NextResultPage());
  });
  connect(m_wndList, &CSortListCtrl::resultSelected, this,
          [this](int page) { OnResultSelected(page); });
  connect(m_wndList, &CSortListCtrl::hitSelected, this,
          [this](int index) { OnHitSelected(index); });
  connect(m_wndWhole, &QPushButton::clicked, this, [this] { SelectWholeCollection(); });
  connect(m_viewGroup, &QButtonGroup::idClicked, this,
          [this](int view) { ChooseView(static_cast<ResultView>(view)); });
  // The header turned its indicator on the click; whatever the model answers,
  // the indicator goes back to the order the model keeps.
  connect(m_wndList, &CSortListCtrl::pageOrderChosen, this, [this](PageRowOrder order) {
    if (m_model) Paint(m_model->OrderPageRows(order));
    ShowOrder();
  });
  connect(m_wndList, &CSortListCtrl::hitOrderChosen, this, [this](HitRowOrder order) {
    if (m_model) Paint(m_model->OrderHitRows(order));
    ShowOrder();
  });
}

QSize CLeftForm::sizeHint() const {
  // Both contexts, the hit, and the place column's book, volume and page.
  constexpr int kCharacters = 2 * static_cast<int>(quillwen::kDefaultContextChars) + 4 + 10;
  constexpr int kMargins = 40;  // the panel's, the list's and its columns'
  // The list's font as it will be drawn, even before it was first shown.
  m_wndList->ensurePolished();
  const int character = m_wndList->fontMetrics().horizontalAdvance(QChar(u'國'));
  return {kCharacters * character + kMargins, QWidget::sizeHint().height()};
}

QWidget* CLeftForm::Control(int id) const {
  const auto control = m_controls.find(id);
  return control == m_controls.end() ? nullptr : control->second;
}

void CLeftForm::OnSearch() {
  if (!m_model) return;
  quillwen::SearchRequest request;
  request.method = static_cast<quillwen::SearchMethod>(m_methodGroup->checkedId());
  request.target = static_cast<quillwen::SearchTarget>(m_targetGroup->checkedId());
  request.variants = m_wndVariants->isChecked();
  // The last input element of the page gives the keywords; without a document
  // or an input element they are empty.
  request.keywords.emplace();
  if (m_wndInput->HasDocument()) {
    for (const DocumentElement& element : m_wndInput->DocumentElements()) {
      if (!element.isInput) continue;
      if (!element.value) {
        request.keywords.reset();
        break;
      }
      *request.keywords = element.value->toStdU16String();
    }
  }
  Paint(m_model->Search(request));
}

void CLeftForm::OnSearchTargetChanged(int target) {
  if (m_model) Paint(m_model->ChooseTarget(static_cast<quillwen::SearchTarget>(target)));
}

void CLeftForm::Paint(const quillwen::PanelUpdate& update) {
  // A rebuilt collection: its records are not the old tree's.
  if (update.catalogueReloaded) {
    const QSignalBlocker quiet(m_wndTree);
    LoadTree();
  }
  if (update.rangeLabel) m_wndRange->setText(ToQString(*update.rangeLabel));
  if (update.summary) {
    m_wndList->ClearRows();
    m_wndSummary->clear();
    m_wndSummary->setText(ToQString(*update.summary));
    // The summary's row is one line: a note after the counts (the characters a
    // search left out) may run past a narrow panel, and is read whole here.
    m_wndSummary->setToolTip(ToQString(*update.summary));
  }
  if (update.pager) {
    if (update.rows || update.hitRows) LayoutPager(*update.pager);
    if (update.pager->visible) UpdatePager(*update.pager);
  }
  if (update.rows) m_wndList->ShowRows(*update.rows);
  if (update.hitRows) m_wndList->ShowHitRows(*update.hitRows);
  if (update.rows || update.hitRows) ShowOrder();
  if (update.pageToShow) emit pageToShow(QString::fromStdString(*update.pageToShow));
  if (update.reading) emit readingChanged(*update.reading);
  if (update.treeSelection) SelectTreeItem(*update.treeSelection);
  if (update.treeFollow) SelectTreeItem(*update.treeFollow, false);
  if (update.listSelection) m_wndList->MarkRowOfPage(*update.listSelection, m_model->CurHit());
  if (update.pageToShow) SetCaption();
  if (update.message) m_messages.ShowMessage(*update.message);
}

void CLeftForm::LayoutPager(const quillwen::PagerState& pager) {
  for (QWidget* control :
       {static_cast<QWidget*>(m_wndPrevious), static_cast<QWidget*>(m_wndNext),
        static_cast<QWidget*>(m_wndPageEdit), static_cast<QWidget*>(m_wndPageCount)}) {
    control->setVisible(pager.visible);
  }
  LayoutPanel();
}

void CLeftForm::UpdatePager(const quillwen::PagerState& pager) {
  m_wndPrevious->setEnabled(pager.previousEnabled);
  m_wndNext->setEnabled(pager.nextEnabled);
  m_wndPageEdit->setEnabled(true);
  m_wndPageEdit->setText(ToQString(pager.editText));
  m_wndPageEdit->setReadOnly(pager.editReadOnly);
  m_wndPageEdit->selectAll();
  m_wndPageCount->setText(ToQString(pager.countLabel));
}

void CLeftForm::ApplyPageEdit() {
  if (m_model) Paint(m_model->ApplyPageEdit(m_wndPageEdit->text().toStdU16String()));
}

void CLeftForm::OnResultSelected(int page) {
  if (m_model) Paint(m_model->ShowResultRow(page));
}

void CLeftForm::OnHitSelected(int index) {
  if (m_model && index >= 0) Paint(m_model->ShowHitRow(static_cast<size_t>(index)));
}

void CLeftForm::ShowOrder() {
  if (!m_model) return;
  if (m_wndList->ShowsHitRows())
    m_wndList->ShowHitOrder(m_model->HitOrder());
  else
    m_wndList->ShowPageOrder(m_model->PageOrder());
}

void CLeftForm::SelectWholeCollection() {
  if (!m_model) return;
  // The tree's item no longer names the range. Without a current item, choosing
  // that same item again is a change that sets its range back.
  m_wndTree->clearSelection();
  m_wndTree->setCurrentItem(nullptr);
  Paint(m_model->SelectWholeCollection());
}

void CLeftForm::ChooseView(quillwen::ResultView view) {
  if (!m_model) return;
  if (QAbstractButton* radio = m_viewGroup->button(static_cast<int>(view))) radio->setChecked(true);
  // A store that cannot be written only forgets the choice for the next run.
  WriteSettingString(QString::fromLatin1(kResultViewSection), QString::fromLatin1(kResultViewName),
                     QString::fromLatin1(view == quillwen::ResultView::kHits ? kResultViewHits
                                                                             : kResultViewPages));
  Paint(m_model->ChooseView(view));
}

bool CLeftForm::HasResultRows() const { return m_model && m_model->SearchNodes().Count() > 0; }

bool CLeftForm::SaveResultCsv(const QString& path, QString& error) {
  if (!m_model) return false;
  std::string message;
  if (m_model->SaveResultCsv(ToPath(path), message)) return true;
  error = QString::fromStdString(message);
  return false;
}

std::optional<QString> CLeftForm::CitationOfShownPage(int headingsAbove) const {
  if (!m_model) return std::nullopt;
  const std::optional<std::u16string> citation = m_model->CitationOfShownPage(headingsAbove);
  if (!citation) return std::nullopt;
  return ToQString(*citation);
}

void CLeftForm::OnEnterKey(const QObject* watched) {
  if (!m_model) return;
  // A query typed and entered is always meant to be searched, whatever list
  // page the last result shows.
  const bool inKeywordField =
      watched == m_wndInput ||
      (watched->isWidgetType() && m_wndInput->isAncestorOf(static_cast<const QWidget*>(watched)));
  if (!inKeywordField && m_model->Pager().visible && !m_model->Pager().editReadOnly)
    ApplyPageEdit();
  else
    OnSearch();
}

void CLeftForm::WatchForEnter(QObject* object) {
  object->installEventFilter(this);
  for (QObject* child : object->children()) {
    if (child->isWidgetType()) WatchForEnter(child);
  }
}

bool CLeftForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ChildAdded: {
      QObject* child = static_cast<QChildEvent*>(event)->child();
      if (child->isWidgetType()) WatchForEnter(child);
      break;
    }
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      // The same press travels up from the focus widget through its parents:
      // act on it where it first arrives, then let it go on as usual.
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event != m_pEnterEvent) {
        m_pEnterEvent = event;
        OnEnterKey(watched);
      }
      break;
    }
    case QEvent::KeyRelease:
      m_pEnterEvent = nullptr;
      break;
    case QEvent::FocusIn:
      if (watched != this && watched == QApplication::focusWidget())
        m_lastFocus = static_cast<QWidget*>(watched);
      break;
    case QEvent::FocusOut:
      if (watched == m_wndPageEdit) ApplyPageEdit();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void CLeftForm::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (QWidget* control = FocusControl(); control != nullptr) control->setFocus(event->reason());
}

bool CLeftForm::CanTakeFocus(const QWidget* control) const {
  return control != nullptr && isAncestorOf(control) && control->isVisibleTo(this) &&
         control->isEnabled();
}

QWidget* CLeftForm::FocusControl() const {
  return CanTakeFocus(m_lastFocus) ? m_lastFocus.data() : DefaultFocusControl();
}

QWidget* CLeftForm::DefaultFocusControl() const {
  if (m_wndTab->currentIndex() == 1) {
    const QList<QLineEdit*> fields = m_wndInput->Fields();
    if (!fields.isEmpty() && CanTakeFocus(fields.front())) return fields.front();
    return CanTakeFocus(m_wndSearch) ? m_wndSearch : nullptr;
  }
  return CanTakeFocus(m_wndTree) ? m_wndTree : nullptr;
}

CLeftForm::~CLeftForm() = default;

void CLeftForm::OnInitialUpdate() {
  // "検索" first, then "目録" in front of it: tab 0 is the contents.
  m_wndTab->insertTab(0, new QWidget, ToQString(kSearchTabText));
  m_wndTab->insertTab(0, new QWidget, ToQString(kContentsTabText));
  m_wndTab->setCurrentIndex(0);
  m_model->InitialUpdate();
  m_wndRange->setText(ToQString(m_model->RangeLabel()));
  // The view chosen in an earlier run; anything else is the page rows.
  if (ReadSettingString(QString::fromLatin1(kResultViewSection),
                        QString::fromLatin1(kResultViewName)) == QLatin1String(kResultViewHits)) {
    m_viewGroup->button(static_cast<int>(quillwen::ResultView::kHits))->setChecked(true);
    Paint(m_model->ChooseView(quillwen::ResultView::kHits));
  }
  m_wndInput->LoadFromResource(QString::fromLatin1(kQueryPageResource));
  // Fields made from the query page join the focus chain last; Tab from the
  // tabs must reach the keywords before the search button, where the page stands.
  QWidget* previous = m_wndTree;
  for (QLineEdit* field : m_wndInput->Fields()) {
    QWidget::setTabOrder(previous, field);
    previous = field;
  }
  LoadTree();
  LayoutPanel();
}

void CLeftForm::OnDestroy() {
  // The model closes the index and takes the page files with its folder.
  m_wndTree->blockSignals(true);
  m_model.reset();
}

void CLeftForm::LoadTree() {
  const quillwen::ContentsCatalogue& catalogue = m_model->Catalogue();
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
    if (parentItem == nullptr)
      topLevel = children;
    else
      parentItem->addChildren(children);
  }
  m_wndTree->addTopLevelItems(topLevel);
}

QTreeWidgetItem* CLeftForm::ItemOfRecord(int record) const {
  if (record <= 0 || static_cast<size_t>(record) >= m_itemOfRecord.size()) return nullptr;
  return m_itemOfRecord[static_cast<size_t>(record)];
}

void CLeftForm::OnTreeSelectionChanged(QTreeWidgetItem* current) {
  if (current == nullptr || !m_model) return;
  Paint(m_model->SelectTreeItem(current->data(0, kRecordRole).toInt()));
}

void CLeftForm::SelectTreeItem(int record, bool announce) {
  QTreeWidgetItem* item = ItemOfRecord(record);
  if (item == nullptr) return;
  for (QTreeWidgetItem* parent = item->parent(); parent != nullptr; parent = parent->parent())
    parent->setExpanded(true);
  const QSignalBlocker quiet(announce ? nullptr : m_wndTree);
  m_wndTree->setCurrentItem(item);
  m_wndTree->scrollToItem(item);
}

void CLeftForm::OpenStoredPage(int record, int page) {
  if (m_model) Paint(m_model->OpenStoredPage(record, page));
}

void CLeftForm::GoBack() {
  if (m_model) Paint(m_model->GoBack());
}

void CLeftForm::GoForward() {
  if (m_model) Paint(m_model->GoForward());
}

void CLeftForm::StepPage(int delta) {
  if (m_model) Paint(m_model->StepPage(delta));
}

void CLeftForm::StepVolume(int direction) {
  if (!m_model) return;
  const QTreeWidgetItem* selected = m_wndTree->currentItem();
  Paint(m_model->StepVolume(direction,
                            selected != nullptr ? selected->data(0, kRecordRole).toInt() : 0));
}

void CLeftForm::StepHit(int delta) {
  if (m_model) Paint(m_model->StepHit(delta));
}

void CLeftForm::GoToSliderPage(int page) {
  if (m_model) Paint(m_model->GoToSliderPage(page));
}

void CLeftForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutPanel();
}

void CLeftForm::paintEvent(QPaintEvent* event) {
  LayoutPanel();
  QWidget::paintEvent(event);
}

void CLeftForm::LayoutPanel() {
  quillwen::PanelLayoutInput input;
  input.width = width();
  input.height = height();
  input.selectedTab = m_wndTab->currentIndex() == 1 ? 1 : 0;
  if (m_model) {
    input.resultPages = m_model->Paging().m_nResultPages;
    input.curResultPage = m_model->Paging().m_nCurResultPage;
  }
  input.pagerButtonWidth = m_wndPrevious->width();
  input.pagerButtonHeight = m_wndPrevious->height();
  for (const auto& [id, placement] : quillwen::LayoutPanel(input)) {
    const auto control = m_controls.find(id);
    if (control == m_controls.end()) continue;
    if (id == quillwen::kPromptLabel) m_wndPrompt->setText(ToQString(quillwen::kPromptText));
    if (id == quillwen::kSearchButton) m_wndSearch->setText(ToQString(quillwen::kSearchButtonText));
    if (placement.rect) {
      const quillwen::PanelRect& r = *placement.rect;
      control->second->setGeometry(r.x, r.y, r.width, r.height);
    }
    if (placement.visible) control->second->setVisible(*placement.visible);
    if (placement.disable) control->second->setEnabled(false);
  }
  SetCaption();
}

void CLeftForm::SetCaption() {
  QWidget* frame = window();
  if (frame == this) return;
  frame->setWindowTitle(
      ToQString(m_model ? m_model->WindowCaption() : std::u16string(quillwen::kMainWindowCaption)));
}
