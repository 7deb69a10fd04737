// CMainFrame: window structure, arrangement, modes, the document's view seam and closing.
#include "app/main_frame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/lock_keys.h"
#include "textview/correction_view.h"
#include "textview/block_edit_controller.h"
#include "textview/character_menu.h"
#include "textview/structure_menu.h"
#include "editing/editor.h"
#include "textview/image_view.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

namespace vellary::app {

namespace {

constexpr int kCounterWidth = 100;

// Where the editor finds its writing direction: the layout, or one text-flow direction.
editing::Display displayFor(int textDisplayMode) {
  switch (textDisplayMode) {
    case 0: return editing::Display::TextFlowHorizontal;
    case 1: return editing::Display::TextFlowVertical;
    default: return editing::Display::Layout;
  }
}

document::DocumentSetup setupFor(FrameContext& c, document::DocumentViews* views) {
  document::DocumentSetup s;
  s.prompter = &c.prompter;
  s.views = views;
  s.app = &c.app;
  s.settings = &c.store;
  s.frame = &c.frame;
  s.clock = &c.clock;
  s.progress = c.progress;
  s.backupPath = c.backupPath;
  return s;
}

}  // namespace

CMainFrame::CMainFrame(FrameContext context) : context_(std::move(context)), commands_(this) {
  setObjectName("CorrixClass");
  setWindowTitle(QString::fromUtf8(appcore::kAppTitle));
  setAcceptDrops(true);
  recent_ = appcore::RecentFileList(context_.app.maxMru);
  recent_.load(context_.store);
  doc_ = std::make_unique<document::CScrivlaDoc>(setupFor(context_, this));
  editor_ = std::make_unique<editing::Editor>(*doc_, context_.prompter);
  state_.textDisplayMode = context_.frame.viewDisplay;
  imageSubMode_ = context_.frame.viewImage;
  buildClient();
  correction_ = std::make_unique<textview::CCorrectionView>(textview::CorrectionSetup{
      textView_, this, &context_.frame, &context_.prompter, context_.registered,
      context_.explanations, imageView_, pageList_});
  // The character menu carries the ruby, emphasis and orientation items of structure editing;
  // the block menu falls back to the page menu the character menu also ends with.
  correction_->addSelectionItems = [this](QMenu& menu) {
    textview::addSelectionItems(menu, blockEditing_->context());
  };
  correction_->runCharacterItem = [this](int id) {
    textview::runSideLineCommand(blockEditing_->context(), id);
  };
  blockEditing_->pageMenuItems = [this](QMenu& menu) { textview::addPageMenuItems(menu, *doc_); };
  buildCommands();
  buildMenus();
  buildToolBar();

  // The status bar's panes: messages, the keyboard locks and the page counter.
  lockPanes_ = new LockKeyPanes(statusBar());
  counter_ = new QLabel(QStringLiteral("(0/0)"), this);
  counter_->setObjectName("pageCounter");
  counter_->setMinimumWidth(kCounterWidth);
  counter_->setAlignment(Qt::AlignCenter);
  statusBar()->addPermanentWidget(counter_);
  commands_.refresh();
}

CMainFrame::~CMainFrame() {
  // The views and the event filters on them ask the frame, their host, about its modes while
  // they are torn down: they go while the frame is still whole.
  correction_.reset();
  delete blockEditing_;
  blockEditing_ = nullptr;
  delete outer_;
  outer_ = nullptr;
}

void CMainFrame::buildClient() {
  appcore::WindowSettings w;
  appcore::readWindowSettings(context_.store, w);
  setGeometry(w.x, w.y, w.width, w.height);
  if (pos().x() != w.x || pos().y() != w.y) move(w.x, w.y);

  outer_ = new QSplitter(Qt::Horizontal, this);
  outer_->setObjectName("outerSplitter");
  pageList_ = new views::CPSelectView(*this, context_.previews, outer_);
  outer_->addWidget(pageList_);

  rows_ = new QSplitter(Qt::Vertical, outer_);
  rows_->setObjectName("rows");
  for (int r = 0; r < 2; ++r) {
    rowSplit_[r] = new QSplitter(Qt::Horizontal, rows_);
    for (int c = 0; c < 2; ++c) {
      QWidget* cell = new QWidget(rowSplit_[r]);
      auto* layout = new QVBoxLayout(cell);
      layout->setContentsMargins(0, 0, 0, 0);
      cells_[r][c] = cell;
      rowSplit_[r]->addWidget(cell);
    }
    rows_->addWidget(rowSplit_[r]);
    // Both rows share one column bar, as one grid.
    connect(rowSplit_[r], &QSplitter::splitterMoved, this,
            [this, r] { rowSplit_[1 - r]->setSizes(rowSplit_[r]->sizes()); });
  }
  outer_->addWidget(rows_);
  textView_ = new CImageView(this);
  imageView_ = new views::CDrawView(*this, this);
  imageView_->setObjectName("imageView");
  for (auto& d : dummies_) {
    d = new QWidget(this);
    d->setObjectName("placeholder");
  }
  setCentralWidget(outer_);
  textView_->setContext({this, &context_.frame, &context_.app, context_.registered, imageView_,
                         pageList_, editor_.get()});
  editor_->setDisplay(displayFor(state_.textDisplayMode));
  textView_->setScale(doc_->zoom());
  // Block editing's mouse, menu and Delete key on the text view (the view owns the controller).
  {
    textview::StructureContext structure;
    structure.view = textView_;
    structure.host = this;
    structure.frame = &context_.frame;
    structure.prompter = &context_.prompter;
    structure.commandsChanged = [this] { commands_.refresh(); };
    blockEditing_ = new textview::BlockEditController(std::move(structure));
  }

  const int selWidth = w.selViewWidth > 0 ? w.selViewWidth : pageList_->sizeHint().width();
  outer_->setSizes({selWidth, std::max(0, w.width - selWidth)});
  // The page list's preview is made again for its new width only once the bar is released, not
  // at every step of the drag.
  outer_->setOpaqueResize(false);
  connect(outer_, &QSplitter::splitterMoved, this, [this](int pos, int) {
    if (clientReady_) pageList_->ResizePreview(pos);
  });
  placeViews();
  clientReady_ = true;
}

void CMainFrame::placeViews() {
  std::array<std::array<QWidget*, 2>, 2> occupant{};
  const Cell t = state_.textCell();
  const Cell i = state_.imageCell();
  occupant[t.row][t.col] = textView_;
  occupant[i.row][i.col] = imageView_;
  int d = 0;
  for (auto& row : occupant)
    for (auto*& w : row)
      if (w == nullptr) w = dummies_[d++];
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) {
      QWidget* w = occupant[r][c];
      if (w->parentWidget() != cells_[r][c]) {
        w->setParent(cells_[r][c]);
        cells_[r][c]->layout()->addWidget(w);
      }
      w->show();
    }
  // In the forced modes only the text view shows; the image view lies hidden behind it.
  imageView_->setVisible(state_.textDisplayMode == 2);
  lockHandles();
}

void CMainFrame::lockHandles() {
  const bool laidOut = state_.textDisplayMode == 2;
  // A bar that would uncover the empty panes cannot be dragged.
  const bool rowBar = laidOut && state_.arrangement == Stacked;
  const bool colBar = laidOut && state_.arrangement == SideBySide;
  rows_->handle(1)->setEnabled(rowBar);
  for (QSplitter* s : rowSplit_) s->handle(1)->setEnabled(colBar);
}

Cell CMainFrame::cellOf(const QWidget* view) const {
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c)
      if (view->parentWidget() == cells_[r][c]) return {r, c};
  return {-1, -1};
}

PaneSizes CMainFrame::paneSizes() const {
  const QList<int> rows = rows_->sizes();
  const QList<int> cols = rowSplit_[0]->sizes();
  return {cols.value(0), cols.value(1), rows.value(0), rows.value(1)};
}

void CMainFrame::relayout() {
  if (!clientReady_) return;
  const int handle = rows_->handleWidth();
  const auto sizes = layoutSizes(state_, rows_->width(), rows_->height(), handle);
  if (!sizes) return;
  rows_->setSizes({sizes->row0, sizes->row1});
  for (QSplitter* s : rowSplit_) s->setSizes({sizes->col0, sizes->col1});
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  relayout();
}

void CMainFrame::applyStoredArrangement() {
  setEditMode(3);
  state_.arrangement = SideBySide;
  state_.previous = SideBySide;
  // The stored side-by-side arrangement is the one the state starts in; choosing it as a command
  // would swap the views at every start, so it is only laid out.
  const int stored = context_.frame.viewArrangement;
  if (stored == 0) {
    placeViews();
    relayout();
  } else {
    chooseArrangement(stored == 1 ? Stacked : FullSize);
  }
  commands_.refresh();
}

void CMainFrame::chooseArrangement(int arrangement) {
  if (!state_.choose(arrangement)) return;
  placeViews();
  relayout();
}

void CMainFrame::setDisplayMode(int mode, int subMode) {
  if (mode != 2) subMode = imageSubMode_;
  if (mode == state_.textDisplayMode && subMode == imageSubMode_) return;
  state_.textDisplayMode = mode;
  imageSubMode_ = subMode;
  context_.frame.viewDisplay = mode;
  context_.frame.viewImage = subMode;
  editor_->setDisplay(displayFor(mode));
  placeViews();
  relayout();
  updateAllViews(document::HintColours);
}

void CMainFrame::setEditMode(int mode) {
  if (mode == 1) {
    if (editMode_ == 3) imageView_->clearHighlight();
    editMode_ = 1;
    updateAllViews(document::HintColours);
  } else {
    editMode_ = 3;
    // The caret and selection start afresh in the block of the entry block editing chose.
    const int entry = editor_->state().entry;
    textView_->resetCaret();
    editor_->state().entry = entry;
    editor_->enterCharacterEditing();
    updateAllViews(document::HintColours);
    pageList_->RepaintPreview();
    reestablishCaret();
    if (hasPages()) textView_->setFocus();
  }
}

bool CMainFrame::hasPages() const {
  return doc_->paper() != nullptr && !doc_->paper()->pages.empty();
}

QString CMainFrame::pageCounterText() const { return counter_->text(); }

void CMainFrame::afterDocumentChange() {
  // The document updates its views before it takes the new path name, so the image of a page
  // found only beside the document is looked for again now.
  imageView_->onUpdate(document::HintAll);
  pageList_->RefreshPageList();
  if (doc_->editState().editMode != 0) editMode_ = doc_->editState().editMode;
  const int rows = pageList_->rowCount();
  showPageCounter(rows > 0 ? QString::asprintf("%4d / %4d", doc_->currentPage() + 1, rows)
                           : QStringLiteral("(0/0)"));
  updateTitle();
}

void CMainFrame::updateTitle() {
  const std::string& path = doc_->pathName();
  setWindowTitle(path.empty() ? QString::fromUtf8(appcore::kAppTitle)
                              : QString::fromStdString(path.substr(path.rfind('/') + 1)) +
                                    QStringLiteral(" - ") + QString::fromUtf8(appcore::kAppTitle));
  commands_.refresh();
}

bool CMainFrame::openFile(const std::string& path) {
  const bool ok = doc_->openDocument(path);
  afterDocumentChange();
  return ok;
}

// --- The document's view seam --------------------------------------------------------------

void CMainFrame::updateAllViews(int hint) {
  pageList_->onUpdate(hint);
  imageView_->onUpdate(hint);
  if (!(hint & 2)) textView_->onUpdate(hint);
  commands_.refresh();
}

void CMainFrame::setPageMark(int pageIndex, bool changed) {
  pageList_->SetPageMark(changed, pageIndex);
}

// The document asks for this after a reload, a recovery and a failed append: the whole of what
// depends on the loaded file is brought up to date, not only the list.
void CMainFrame::refreshPageList() { afterDocumentChange(); }

void CMainFrame::setZoomSelection(int index) { pageList_->SetZoomSelection(index); }

void CMainFrame::selectPageRow(int pageIndex) {
  showPageCounter(QString::asprintf("%4d / %4d", pageIndex + 1, pageList_->rowCount()));
}

void CMainFrame::resetTextView() {
  textView_->resetCaret();
  imageView_->clearHighlight();
}

void CMainFrame::placeCaretOnPage() { editor_->placeCaretOnPage(); }

void CMainFrame::reestablishCaret() {
  if (editMode_ == 3) textView_->reestablishCaret();
}

document::CaretState CMainFrame::caretState() const { return editor_->reportCaret(); }

void CMainFrame::restoreCaret(const document::CaretState& state) { editor_->restoreCaret(state); }

std::pair<int, int> CMainFrame::selectionPositions() const {
  return editor_->selectionPositions();
}

void CMainFrame::setSelectionPositions(int first, int last) {
  editor_->setSelectionPositions(first, last);
}

void CMainFrame::focusTextView() { textView_->setFocus(); }

double CMainFrame::viewScale() const { return textView_->scale(); }

void CMainFrame::setViewScale(double scale) { textView_->setScale(scale); }

void CMainFrame::showPageCounter(const QString& text) { counter_->setText(text); }

void CMainFrame::syncScroll(int which, int x, int y) {
  if (which == 1) {
    imageView_->scrollTo(x, y);
  } else {
    textView_->scrollTo(x, y);
    if (editMode_ == 3 && imageSubMode_ == 1) textView_->showOneLineImage();
  }
}

void CMainFrame::placeLineImageAgain() {
  // The text view places its one-line image window at every full update from the side and
  // offset in the settings; the window is shown only in character editing with that sub-mode.
  if (editMode_ == 3 && state_.textDisplayMode == 2 && imageSubMode_ == 1)
    textView_->onUpdate(document::HintColours);
}

void CMainFrame::redrawLineRect() { pageList_->ShowLineRect(std::nullopt, 0); }

// --- Closing and dropping --------------------------------------------------------------------

appcore::WindowSettings CMainFrame::windowPlacement() const {
  appcore::WindowSettings w;
  const QRect normal = isMaximized() ? normalGeometry() : geometry();
  w.x = normal.x();
  w.y = normal.y();
  w.width = normal.width();
  w.height = normal.height();
  w.zoomed = isMaximized() ? 1 : 0;
  QRect both = textView_->geometry();
  both.moveTopLeft(textView_->mapTo(this, QPoint(0, 0)));
  QRect image = imageView_->geometry();
  image.moveTopLeft(imageView_->mapTo(this, QPoint(0, 0)));
  if (imageView_->isVisible()) both = both.united(image);
  w.imagePaneHeight = both.height() + 1;
  w.imagePaneWidth = both.width() + 1;
  w.selViewWidth = pageList_->width() + 1;
  return w;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  context_.frame.viewArrangement = state_.arrangement;
  context_.frame.viewPrevArrangement = state_.previous;
  context_.frame.viewDisplay = state_.textDisplayMode;
  context_.frame.viewImage = imageSubMode_;
  context_.app.displayScale = static_cast<int>(doc_->zoom() * 100 + 0.5);
  appcore::writeAllSettings(context_.store, context_.app, context_.frame, windowPlacement());
  recent_.save(context_.store);
  std::string error;
  context_.store.flush(error);
  if (!doc_->saveModifiedBeforeClosing()) {
    event->ignore();
    return;
  }
  event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  event->acceptProposedAction();
  dropFiles(paths);
}

void CMainFrame::dropFiles(const std::vector<std::string>& paths) {
  if (doc_->dropFiles(paths)) afterDocumentChange();
}

}  // namespace vellary::app
