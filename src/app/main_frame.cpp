// CMainFrame: window structure, arrangement, modes, the document's view seam and closing.
#include "app/main_frame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/lock_keys.h"
#include "appcore/zoom_fit.h"
#include "editing/caret_status.h"
#include "editing/editing_context.h"
#include "editing/editor.h"
#include "editing/ruby_edit.h"
#include "recognize/sources.h"
#include "textview/block_edit_controller.h"
#include "textview/character_menu.h"
#include "textview/correction_view.h"
#include "textview/image_view.h"
#include "textview/structure_menu.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

namespace vellary::app {

namespace {

constexpr int kCounterWidth = 100;
constexpr int kCaretStatusMinWidth = 130;

// Where the editor finds its writing direction: the layout, or one text-flow direction.
editing::Display displayFor(appcore::TextDisplay display) {
  switch (display) {
    case appcore::TextDisplay::FlowHorizontal:
      return editing::Display::TextFlowHorizontal;
    case appcore::TextDisplay::FlowVertical:
      return editing::Display::TextFlowVertical;
    default:
      return editing::Display::Layout;
  }
}

document::DocumentSetup setupFor(FrameContext& c) {
  document::DocumentSetup s;
  s.prompter = &c.prompter;
  s.app = &c.app;
  s.settings = &c.store;
  s.frame = &c.frame;
  s.clock = &c.clock;
  s.progress = c.progress;
  s.backupPath = c.backupPath;
  s.scansRoot = c.scansRoot;
  return s;
}

}  // namespace

CMainFrame::CMainFrame(FrameContext context)
    : context_(std::move(context)), commands_(this, [this] { return commandFacts(); }) {
  setObjectName("CorrixClass");
  setWindowTitle(QString::fromUtf8(appcore::kAppTitle));
  setAcceptDrops(true);
  recent_ = appcore::RecentFileList(context_.app.maxMru);
  recent_.load(context_.store);
  doc_ = std::make_unique<document::CScrivlaDoc>(setupFor(context_));
  editing_ = std::make_unique<editing::EditingContext>(*doc_, context_.prompter);
  state_.textDisplay = appcore::textDisplayOf(context_.frame.viewDisplay);
  imagePane_ = appcore::imagePaneOf(context_.frame.viewImage);
  zoomFit_ = appcore::zoomFitOf(context_.frame.zoomFit);
  buildClient();
  // The page keys at the ends of a page, and the text view's size for a scale that follows it.
  textView_->installEventFilter(this);
  // The views hear every change before the frame, which then brings its commands up to date;
  // the image view decodes a new page before the text view cuts line images from it.
  doc_->addObserver(pageList_);
  doc_->addObserver(imageView_);
  doc_->addObserver(textView_);
  doc_->addObserver(this);
  correction_ = std::make_unique<textview::CCorrectionView>(
      textview::CorrectionSetup{textView_, this, &context_.frame, &context_.prompter,
                                context_.registered, context_.explanations});
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

  // The status bar's panes: messages, the caret's character and place, the keyboard locks and
  // the page counter.
  caretStatus_ = new QLabel(this);
  caretStatus_->setObjectName("caretStatus");
  // A long description is cut, never a reason for a wider window.
  caretStatus_->setMinimumWidth(kCaretStatusMinWidth);
  statusBar()->addPermanentWidget(caretStatus_);
  lockPanes_ = new LockKeyPanes(statusBar());
  counter_ = new QLabel(QStringLiteral("(0/0)"), this);
  counter_->setObjectName("pageCounter");
  counter_->setMinimumWidth(kCounterWidth);
  counter_->setAlignment(Qt::AlignCenter);
  statusBar()->addPermanentWidget(counter_);
  updateUndoCaptions();
  commands_.refresh();
}

CMainFrame::~CMainFrame() {
  textView_->removeEventFilter(this);
  // Nothing is told of the document once the views begin to go.
  for (document::DocumentObserver* o :
       std::initializer_list<document::DocumentObserver*>{this, textView_, imageView_, pageList_})
    doc_->removeObserver(o);
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
  const QRect placed = placeOnScreen(w, appcore::windowSizeStored(context_.store));

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
  textView_->setContext(
      {this, &context_.frame, &context_.app, context_.registered, editing_.get()});
  editor().setDisplay(displayFor(state_.textDisplay));
  textView_->setScale(doc_->zoom());
  // Block editing's mouse, menu and Delete key on the text view (the view owns the controller).
  {
    textview::StructureContext structure;
    structure.view = textView_;
    structure.host = this;
    structure.frame = &context_.frame;
    structure.prompter = &context_.prompter;
    blockEditing_ = new textview::BlockEditController(std::move(structure));
  }

  const int selWidth =
      appcore::pageListWidth(w.selViewWidth, pageList_->sizeHint().width(), placed.width());
  outer_->setSizes({selWidth, std::max(0, placed.width() - selWidth)});
  // The page list's preview is made again for its new width only once the bar is released, not
  // at every step of the drag.
  outer_->setOpaqueResize(false);
  connect(outer_, &QSplitter::splitterMoved, this, [this](int pos, int) {
    if (clientReady_) pageList_->ResizePreview(pos);
  });
  placeViews();
  clientReady_ = true;
}

QRect CMainFrame::placeOnScreen(const appcore::WindowSettings& w, bool stored) {
  // The screen the stored window stood on; when that screen is gone, or on a first start, the
  // primary one.
  QScreen* screen = stored ? QGuiApplication::screenAt(QRect(w.x, w.y, w.width, w.height).center())
                           : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    resize(w.width, w.height);
    return geometry();
  }
  const QRect area = screen->availableGeometry();
  const appcore::ScreenRect r = appcore::fitWindow(
      w, stored, {area.x(), area.y(), area.width(), area.height()}, frameAllowance());
  setGeometry(r.x, r.y, r.width, r.height);
  return QRect(r.x, r.y, r.width, r.height);
}

appcore::FrameMargins CMainFrame::frameAllowance() const {
  // Known once the window manager has framed the window; before that, its title bar and borders
  // as the style draws them stand in.
  if (const QWindow* handle = windowHandle(); handle != nullptr && isVisible()) {
    const QMargins m = handle->frameMargins();
    if (!m.isNull()) return {m.left(), m.top(), m.right(), m.bottom()};
  }
  const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
  const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
  return {border, title + border, border, border};
}

void CMainFrame::keepOnScreen() {
  if (isMaximized() || isFullScreen() || isMinimized()) return;
  QScreen* screen = QGuiApplication::screenAt(frameGeometry().center());
  if (screen == nullptr) screen = this->screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  if (area.contains(frameGeometry())) return;
  appcore::WindowSettings w;
  const QRect g = geometry();
  w.x = g.x();
  w.y = g.y();
  w.width = g.width();
  w.height = g.height();
  const appcore::ScreenRect r = appcore::fitWindow(
      w, true, {area.x(), area.y(), area.width(), area.height()}, frameAllowance());
  setGeometry(r.x, r.y, r.width, r.height);
}

void CMainFrame::showAsStored() {
  appcore::WindowSettings w;
  appcore::readWindowSettings(context_.store, w);
  if (w.zoomed == 1)
    showMaximized();
  else
    show();
  // The frame's real size is known only once the window manager has put it around the window.
  QTimer::singleShot(0, this, [this] { keepOnScreen(); });
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
  imageView_->setVisible(state_.textDisplay == appcore::TextDisplay::Layout);
  lockHandles();
}

void CMainFrame::lockHandles() {
  const bool laidOut = state_.textDisplay == appcore::TextDisplay::Layout;
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
  setEditMode(appcore::EditMode::Character);
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

void CMainFrame::setDisplayMode(appcore::TextDisplay display, appcore::ImagePane pane) {
  if (display != appcore::TextDisplay::Layout) pane = imagePane_;
  if (display == state_.textDisplay && pane == imagePane_) return;
  state_.textDisplay = display;
  imagePane_ = pane;
  context_.frame.viewDisplay = appcore::code(display);
  context_.frame.viewImage = appcore::code(pane);
  editor().setDisplay(displayFor(display));
  placeViews();
  relayout();
  displayChanged();
}

void CMainFrame::setEditMode(appcore::EditMode mode) {
  if (mode == appcore::EditMode::Block) {
    editMode_ = appcore::EditMode::Block;
  } else {
    editMode_ = appcore::EditMode::Character;
    // The caret and selection start afresh in the block of the entry block editing chose.
    const int entry = editing_->state().entry;
    editing_->resetCaret();
    editing_->state().entry = entry;
    editor().enterCharacterEditing();
    if (hasPages()) textView_->setFocus();
  }
  displayChanged();
}

void CMainFrame::displayChanged() {
  document::ChangeSet changes;
  changes.kinds = document::Change::Display | document::Change::Caret;
  doc_->notify(changes);
}

editing::Editor& CMainFrame::editor() { return editing_->editor(); }

bool CMainFrame::hasPages() const {
  return doc_->paper() != nullptr && !doc_->paper()->pages.empty();
}

QString CMainFrame::pageCounterText() const { return counter_->text(); }

void CMainFrame::afterDocumentChange() {
  if (doc_->editState().editMode != 0)
    editMode_ = static_cast<appcore::EditMode>(doc_->editState().editMode);
}

void CMainFrame::showPageCounter() {
  const int rows = pageList_->rowCount();
  counter_->setText(rows > 0 ? QString::asprintf("%4d / %4d", doc_->currentPage() + 1, rows)
                             : QStringLiteral("(0/0)"));
}

void CMainFrame::updateTitle() {
  const std::string& path = doc_->pathName();
  if (path.empty()) {
    setWindowTitle(QString::fromUtf8(appcore::kAppTitle));
    return;
  }
  QString name = QString::fromStdString(path.substr(path.rfind('/') + 1));
  // A document read from another format says which: Save will ask for a RovOrirUD name.
  if (!doc_->savesInPlace())
    name += QStringLiteral(" [") +
            QString::fromUtf8(doc_->origin()->label.data(),
                              static_cast<qsizetype>(doc_->origin()->label.size())) +
            QStringLiteral("]");
  setWindowTitle(name + QStringLiteral(" - ") + QString::fromUtf8(appcore::kAppTitle));
}

void CMainFrame::updateUndoCaptions() {
  const document::UndoHistory& h = doc_->history();
  const document::UndoStep* undo = doc_->undoEnabled() ? h.nextUndo() : nullptr;
  const document::UndoStep* redo = doc_->redoEnabled() ? h.nextRedo() : nullptr;
  auto named = [](const char* verb, const char* key, const char* accel,
                  const document::UndoStep* step) {
    QString caption = QString::fromUtf8(verb);
    if (step != nullptr)
      caption += QStringLiteral(" - ") + QString::fromUtf8(document::undoKindName(step->kind));
    return caption + QString::fromUtf8(key) + QStringLiteral("\t") + QString::fromUtf8(accel);
  };
  commands_.setCaption(appcore::IdUndo, named("元に戻す", "(&U)", "Ctrl+Z", undo));
  commands_.setCaption(appcore::IdRedo, named("やり直し", "(&R)", "Ctrl+Y", redo));
}

bool CMainFrame::openFile(const std::string& path) { return doc_->openDocument(path); }

// --- The document's change sets ----------------------------------------------------------------

void CMainFrame::documentChanged(const document::ChangeSet& changes) {
  using document::Change;
  if (changes.has(Change::Document)) afterDocumentChange();
  if (changes.any(Change::Document | Change::Path)) {
    updateTitle();
    const std::string& path = doc_->pathName();
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_regular_file(path, ec)) addRecentFile(path);
  }
  if (changes.any(Change::Page | Change::Document)) {
    showPageCounter();
    if (hasPages()) textView_->setFocus();
  }
  // A scale that follows the view is fitted again to a page of another size; a scale chosen by
  // a step elsewhere ends it.
  if (changes.has(Change::Zoom) && zoomFit_ != appcore::ZoomFit::None &&
      doc_->zoom() != fittedZoom_)
    zoomFit_ = appcore::ZoomFit::None;
  if (changes.any(Change::Page | Change::Document) && zoomFit_ != appcore::ZoomFit::None &&
      !fitPending_) {
    // Not while the views are still hearing of this change: the scale is a change of its own.
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] {
      fitPending_ = false;
      applyZoomFit();
    });
  }
  if (changes.any(Change::Caret | Change::Text | Change::Page | Change::Document |
                  Change::Layout | Change::Structure | Change::Display | Change::Selection))
    showCaretStatus();
  // Every change may change what a command can do: the menus, the toolbar and the shortcuts
  // follow at once.
  updateUndoCaptions();
  commands_.refresh();
}

appcore::CommandFacts CMainFrame::commandFacts() const {
  appcore::CommandFacts f;
  f.documentOpen = doc_ != nullptr && doc_->paper() != nullptr;
  f.pageCount = doc_ != nullptr ? doc_->pageCount() : 0;
  f.pageIndex = doc_ != nullptr ? doc_->currentPage() : -1;
  f.editMode = editMode_;
  f.display = state_.textDisplay;
  f.pane = imagePane_;
  f.colours = appcore::colourModeOf(context_.frame.textColourMode);
  f.arrangement = static_cast<appcore::Arrangement>(state_.arrangement);
  f.blockNumbers = context_.frame.showBlockNumbers != 0;
  if (doc_ != nullptr) {
    const int tenths = static_cast<int>(doc_->zoom() * 10 + 0.1);
    f.zoomTenths = std::abs(doc_->zoom() - tenths / 10.0) < 1e-9 ? tenths : 0;
  }
  f.zoomFit = zoomFit_;
  f.undoAvailable = doc_ != nullptr && doc_->undoEnabled();
  f.redoAvailable = doc_ != nullptr && doc_->redoEnabled();
  f.caretOnRuby = editing_ != nullptr && editing::rubyModifyEnabled(editing_->state());
  f.recentFiles = static_cast<int>(recent_.paths().size());
  f.characterTables = context_.registered != nullptr && context_.explanations != nullptr;
  f.pagePicture = imageView_ != nullptr && imageView_->fullPicture() != nullptr;
  return f;
}

void CMainFrame::focusTextView() { textView_->setFocus(); }

// --- Scale, page keys and the caret's status ---------------------------------------------------

void CMainFrame::chooseZoomStep(int commandId) {
  zoomFit_ = appcore::ZoomFit::None;
  doc_->zoomCommand(commandId);
  // The step may be the scale already in force: the list shows the step instead of the fit.
  pageList_->showZoom();
}

void CMainFrame::chooseZoomFit(appcore::ZoomFit fit) {
  zoomFit_ = fit;
  applyZoomFit();
  pageList_->showZoom();
}

void CMainFrame::applyZoomFit() {
  const model::PageData* page = doc_->page(doc_->currentPage());
  if (zoomFit_ == appcore::ZoomFit::None || page == nullptr) return;
  const QSize room = textView_->maximumViewportSize();
  const int scrollBar = textView_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                         textView_);
  const auto scale = appcore::fitZoom(zoomFit_, page->width, page->height, room.width(),
                                      room.height(), scrollBar);
  if (!scale) return;
  fittedZoom_ = *scale;
  doc_->setZoom(*scale);
}

bool CMainFrame::turnPageByKey(int key) {
  const QScrollBar* bar = textView_->verticalScrollBar();
  if (key == Qt::Key_PageDown && bar->value() >= bar->maximum())
    return commands_.dispatch(IdNextPage);
  if (key == Qt::Key_PageUp && bar->value() <= bar->minimum()) {
    if (!commands_.dispatch(IdPreviousPage)) return false;
    // Reading backwards goes on at the end of the page before: the caret goes there, and the
    // view follows it.
    model::PageData* page = doc_->page(doc_->currentPage());
    const auto last = page != nullptr ? editing::lastLineWithChars(*page) : std::nullopt;
    if (editMode_ == appcore::EditMode::Character && last) {
      editing::EditScope scope(*editing_);
      scope.caret().selection.clear();
      editing::placeAtLineEndForBackwardMove(scope.caret().caret, *last);
      scope.reveal();
    } else {
      QScrollBar* entered = textView_->verticalScrollBar();
      entered->setValue(entered->maximum());
    }
    return true;
  }
  return false;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == textView_) {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const Qt::KeyboardModifiers mods =
          key->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
      if (mods == Qt::NoModifier &&
          (key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp) &&
          turnPageByKey(key->key()))
        return true;
    } else if (event->type() == QEvent::Resize && zoomFit_ != appcore::ZoomFit::None &&
               !fitPending_) {
      // Dragging a bar resizes the view many times: the scale follows once the events settle.
      fitPending_ = true;
      QTimer::singleShot(0, this, [this] {
        fitPending_ = false;
        applyZoomFit();
      });
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::showCaretStatus() {
  const QString text = caretStatusText();
  if (caretStatus_->text() != text) caretStatus_->setText(text);
}

QString CMainFrame::caretStatusText() const {
  if (editMode_ != appcore::EditMode::Character || !hasPages()) return {};
  model::PageData* page = doc_->page(doc_->currentPage());
  const editing::CaretState& caret = editing_->state();
  if (page == nullptr) return {};
  const auto report = editing::describeCaret(*page, caret.caret, context_.frame.rejectLevel);
  return report ? QString::fromStdString(editing::caretStatusText(*report)) : QString();
}

const views::PackedPicture* CMainFrame::pagePicture() const { return imageView_->fullPicture(); }

void CMainFrame::syncScroll(int which, int x, int y) {
  if (which == 1) {
    imageView_->scrollTo(x, y);
  } else {
    textView_->scrollTo(x, y);
    if (editMode_ == appcore::EditMode::Character && imagePane_ == appcore::ImagePane::LineImage)
      textView_->showOneLineImage();
  }
}

void CMainFrame::placeLineImageAgain() {
  // The text view places its one-line image window at every full update from the side and
  // offset in the settings; the window is shown only in character editing with that pane.
  if (editMode_ == appcore::EditMode::Character &&
      state_.textDisplay == appcore::TextDisplay::Layout &&
      imagePane_ == appcore::ImagePane::LineImage)
    displayChanged();
}

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
  // A long operation (its progress dialog disables the window) runs in this window's records:
  // the window stays until it ends or is cancelled.
  if (!isEnabled()) {
    event->ignore();
    return;
  }
  context_.frame.viewArrangement = state_.arrangement;
  context_.frame.viewPrevArrangement = state_.previous;
  context_.frame.viewDisplay = appcore::code(state_.textDisplay);
  context_.frame.viewImage = appcore::code(imagePane_);
  context_.app.displayScale = static_cast<int>(doc_->zoom() * 100 + 0.5);
  context_.frame.zoomFit = appcore::code(zoomFit_);
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
  if (!paths.empty() && std::all_of(paths.begin(), paths.end(), recognize::hasScanExtension)) {
    // Not inside the drop: the file manager waits for it to end, and recognising takes long.
    QTimer::singleShot(0, this, [this, paths] { recogniseScans(paths); });
    return;
  }
  doc_->dropFiles(paths);
}

}  // namespace vellary::app
