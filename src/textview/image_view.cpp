// CImageView: full update, painting, line redraw, zoom and scrolling, the one-line image window.
#include "textview/image_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "appcore/char_tables.h"
#include "appcore/settings.h"
#include "document/document.h"
#include "editing/editing_context.h"
#include "editing/layout_marks.h"
#include "views/img_window.h"
#include "views/packed_picture.h"
#include "views/view_host.h"

namespace vellary::textview {

namespace {

constexpr int kLineStep = 16;  // pixels per scroll line

// Whether a position names a line of the page and a character of that line (or its end). Only
// addresses are compared until the line is known to be the page's: after a load the old records
// are gone, and new ones may stand at the same addresses.
bool onPage(model::PageData& page, editing::CaretPos& p) {
  if (!p.valid()) return true;
  const auto ref = editing::findLine(page, p.line);
  if (!ref || ref->block != p.block) return false;
  p.cell = ref->cell;
  for (auto it = p.line->chars.begin(); it != p.line->chars.end(); ++it)
    if (it == p.ch) return true;
  return p.ch == p.line->chars.end();
}

}  // namespace

void CImageView::keepCaretOnPage() {
  editing::CaretState& s = *caret_;
  if (page_ == nullptr || !onPage(*page_, s.caret)) {
    s.clear();
    return;
  }
  if (!onPage(*page_, s.selection.anchor) || !onPage(*page_, s.selection.active))
    s.selection.clear();
  if (s.lineAtKeyDown != nullptr && !editing::findLine(*page_, s.lineAtKeyDown))
    s.lineAtKeyDown = nullptr;
}

CImageView::CImageView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName("textView");
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(false);
  // Hover moves reach the view even where another object filters the viewport's mouse events:
  // they set the cursor shape.
  viewport()->setAttribute(Qt::WA_Hover, true);
  setAttribute(Qt::WA_InputMethodEnabled, true);
  blink_ = new QTimer(this);
  connect(blink_, &QTimer::timeout, this, [this] {
    if (!characterEditing()) blink_->stop();  // the caret lives only in character editing
    caretShown_ = !caretShown_;
    viewport()->update(drawnCaret_.translated(-scrollPosition()).adjusted(-1, -1, 1, 1));
  });
  dragScroll_ = new QTimer(this);
  dragScroll_->setInterval(50);
  connect(dragScroll_, &QTimer::timeout, this, &CImageView::dragScrollStep);
}

CImageView::~CImageView() { emit tearingDown(); }

void CImageView::setContext(const Context& context) {
  context_ = context;
  caret_ = context_.editing != nullptr ? &context_.editing->state() : &ownCaret_;
}

QPoint CImageView::scrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

bool CImageView::laidOut() const {
  return context_.host == nullptr || context_.host->textDisplay() == appcore::TextDisplay::Layout;
}
appcore::EditMode CImageView::editMode() const {
  return context_.host ? context_.host->editMode() : appcore::EditMode::Character;
}
appcore::ImagePane CImageView::imagePane() const {
  return context_.host ? context_.host->imagePane() : appcore::ImagePane::TextOnly;
}

const QImage* CImageView::linePicture() const {
  const views::PackedPicture* full =
      context_.host != nullptr ? context_.host->pagePicture() : nullptr;
  return full != nullptr ? &full->image() : nullptr;
}

bool CImageView::isCaretLine(const model::LineData* line) const {
  return line != nullptr && drawnCaretLine() == line;
}

const model::LineData* CImageView::drawnCaretLine() const {
  // While characters are selected (or a drag selects them) no line is shown as the edit line.
  if (!caret_->selection.empty() || caret_->dragging) return nullptr;
  // While a key is held the edit line stays the one the press began on; it follows the caret
  // when the key comes up.
  if (caret_->keyHeld && caret_->lineAtKeyDown != nullptr) return caret_->lineAtKeyDown;
  return caret_->caret.line;
}

void CImageView::aboutToReset() {
  // The records go: nothing is read from them until the change set that follows. The page image
  // holds pixels only and is still painted meanwhile.
  page_ = nullptr;
  layout_ = editing::PageLayout{};
  boxes_ = editing::PageBoxes{};
  boxesValid_ = false;
  caretLineDrawn_ = nullptr;
  entriesUsed_ = nullptr;
  if (context_.editing == nullptr) caret_->clear();
  leftDown_ = false;
  drawnCaret_ = QRect();
  hideOneLineImage();
  viewport()->update();
}

void CImageView::documentChanged(const document::ChangeSet& changes) {
  using document::Change;
  const uint32_t whole = Change::Layout | Change::Structure | Change::Page | Change::Document |
                         Change::Zoom | Change::Display;
  const bool rebuild = changes.any(whole);
  // A new scale or mode: the caret is shown where it now stands once the page is laid out.
  if (changes.any(Change::Zoom | Change::Display) && characterEditing()) caretPending_ = true;
  if (rebuild)
    fullUpdate();
  else if (changes.has(Change::Text))
    renderLines(changes.lines, false);
  if (!rebuild) followCaretLine();
  if (changes.any(Change::Caret | Change::Text | Change::Layout | Change::Structure))
    caretMoved(false, changes.has(Change::Reveal));
  // Frames of block entries and the selection are painted over the page image.
  if (changes.any(Change::Structure | Change::Caret | Change::Selection)) viewport()->update();
}

void CImageView::followCaretLine() {
  const model::LineData* now = drawnCaretLine();
  if (now == caretLineDrawn_) return;
  const model::LineData* before = caretLineDrawn_;
  caretLineDrawn_ = now;
  renderLines({before, now}, true);
}

void CImageView::fullUpdate() {
  ++fullUpdates_;
  document::CScrivlaDoc* doc = context_.host ? context_.host->document() : nullptr;
  if (doc != nullptr) scale_ = doc->zoom();
  if (context_.frame != nullptr && context_.app != nullptr)
    settings_ = RenderSettings::from(*context_.frame, *context_.app);

  // The current page. An index outside the list keeps the previous page, but only while that
  // page still belongs to the document: after a reload or close it is gone.
  model::PageData* previous = page_;
  const int previousIndex = pageIndex_;
  page_ = nullptr;
  if (doc != nullptr && doc->paper() != nullptr) {
    if (model::PageData* p = doc->page(doc->currentPage())) {
      page_ = p;
      pageIndex_ = doc->currentPage();
    } else {
      int i = 0;
      for (auto& p : doc->paper()->pages) {
        if (&p == previous) {
          page_ = previous;
          pageIndex_ = i;
        }
        ++i;
      }
    }
  }
  if (page_ == nullptr) pageIndex_ = -1;
  // The caret points into the page it was placed on; on any other page it is placed afresh. Undo
  // puts another page record in the same place: that is no page change to the reader.
  const bool pageEntered =
      page_ != previous && (previous == nullptr || pageIndex_ != previousIndex);
  keepCaretOnPage();
  caretLineDrawn_ = drawnCaretLine();

  if (page_ != nullptr && settings_.colourMode == appcore::ColourMode::Registered) {
    std::vector<std::u16string> words;
    if (context_.registered != nullptr) words = context_.registered->searchWords();
    editing::markRegistered(*page_, words);
  }

  editing::LayoutParams params;
  params.zoom = scale_;
  params.display = context_.host ? context_.host->textDisplay() : appcore::TextDisplay::Layout;
  params.pane = imagePane();
  params.dpi = std::max(1, logicalDpiY());
  if (page_ != nullptr) {
    layout_ = editing::layoutPage(*page_, params);
  } else {
    layout_ = editing::PageLayout{};
    layout_.params = params;
  }
  editing::Size size = layout_.canvas;
  if (params.display != appcore::TextDisplay::Layout)
    size = editing::textFlowCanvasSize(size, {viewport()->width(), viewport()->height()});
  if (page_ != nullptr && size.width > 0 && size.height > 0) {
    // The same size reuses the pixels: a fresh page-sized image costs more in page faults than
    // the whole rendering.
    if (canvas_.width() != size.width || canvas_.height() != size.height)
      canvas_ = QImage(size.width, size.height, QImage::Format_RGB32);
    PagePainter(settings_).paintPage(canvas_, layout_, linePicture(), drawnCaretLine());
  } else {
    canvas_ = QImage();
  }
  boxesValid_ = false;
  updateScrollBars();

  // The block entries: other entries than before drop the current one. The old list may be gone
  // (a reload rebuilds them), so only its identity is kept, never its contents.
  const void* entries = nullptr;
  if (doc != nullptr && pageIndex_ >= 0 &&
      static_cast<size_t>(pageIndex_) < doc->blockEntries().pageCount())
    entries = &doc->blockEntries().page(static_cast<size_t>(pageIndex_));
  // Other entries than before drop the current one, unless a caret placed on the page names it.
  if (entries != entriesUsed_ && !pageEntered && !caret_->caret.valid()) caret_->entry = -1;
  entriesUsed_ = entries;

  if (characterEditing()) {
    if (params.display == appcore::TextDisplay::Layout) builtLayoutInCharEditing_ = true;
    if (imagePane() == appcore::ImagePane::LineImage && caret_->entry >= 0 &&
        caret_->caret.valid() && !caret_->caret.atLineEnd())
      showOneLineImage();
    else
      hideOneLineImage();
  } else {
    hideOneLineImage();
  }
  viewport()->update();
  if (pageEntered && page_ != nullptr) {
    caretPending_ = false;
    caretMoved(true);
  } else if (caretPending_) {
    caretPending_ = false;
    caretMoved(false);
  }
}

void CImageView::updateScrollBars() {
  const QSize vp = viewport()->size();
  const int w = canvas_.isNull() ? 0 : canvas_.width();
  const int h = canvas_.isNull() ? 0 : canvas_.height();
  horizontalScrollBar()->setRange(0, std::max(0, w - vp.width()));
  verticalScrollBar()->setRange(0, std::max(0, h - vp.height()));
  horizontalScrollBar()->setPageStep(vp.width());
  verticalScrollBar()->setPageStep(vp.height());
  horizontalScrollBar()->setSingleStep(kLineStep);
  verticalScrollBar()->setSingleStep(kLineStep);
}

void CImageView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  // The text-flow canvas fills the window; a larger window needs a larger canvas.
  if (!laidOut() && page_ != nullptr &&
      (canvas_.width() < viewport()->width() || canvas_.height() < viewport()->height()))
    fullUpdate();
  else
    updateScrollBars();
}

void CImageView::redrawLine(const model::LineData* line, bool caretChange) {
  renderLines({line}, caretChange);
}

void CImageView::renderLines(const std::vector<const model::LineData*>& lines, bool caretChange) {
  if (page_ == nullptr || canvas_.isNull()) return;
  bool laid = false;
  for (const model::LineData* line : lines) {
    if (line == nullptr) continue;
    // The numbers are cheap to compute again, once for all the lines; only they are rendered.
    if (!laid) {
      layout_ = editing::layoutPage(*page_, layout_.params);
      boxesValid_ = false;
      laid = true;
    }
    // Only a line the layout holds is read: one named by an old gesture may be gone.
    const editing::LinePlace* place = layout_.find(line);
    if (place == nullptr) continue;
    // A side line is drawn with its base line.
    if (!editing::isNormalLine(*line) && line->baseLine != nullptr) {
      place = layout_.find(line->baseLine);
      if (place == nullptr) continue;
      line = line->baseLine;
    }
    const QRect box = PagePainter(settings_).redrawLine(canvas_, layout_, *place, linePicture(),
                                                        isCaretLine(line));
    const QRect dirty = box.translated(-scrollPosition())
                            .adjusted(caretChange ? -50 : -5, -5, caretChange ? 50 : 5, 5);
    viewport()->update(dirty);
  }
}

void CImageView::setColourMode(appcore::ColourMode mode) {
  if (context_.frame == nullptr) return;
  context_.frame->textColourMode = appcore::code(mode);
  fullUpdate();
}

appcore::ColourMode CImageView::colourMode() const {
  return context_.frame ? appcore::colourModeOf(context_.frame->textColourMode)
                        : settings_.colourMode;
}

void CImageView::scrollTo(int x, int y) {
  syncing_ = true;
  horizontalScrollBar()->setValue(x);
  verticalScrollBar()->setValue(y);
  syncing_ = false;
}

void CImageView::scrollContentsBy(int, int) {
  viewport()->update();
  if (syncing_ || context_.host == nullptr) return;
  if (laidOut()) {
    const QPoint pos = scrollPosition();
    context_.host->syncScroll(1, pos.x(), pos.y());
  }
  if (characterEditing() && imagePane() == appcore::ImagePane::LineImage && laidOut())
    showOneLineImage();
}

void CImageView::wheelEvent(QWheelEvent* event) {
  event->accept();
  const int delta = event->angleDelta().y();
  if (event->modifiers() & Qt::ControlModifier) {
    document::CScrivlaDoc* doc = context_.host ? context_.host->document() : nullptr;
    if (doc == nullptr) return;
    const int k = static_cast<int>(scale_ * 10 + 0.1);
    if (delta >= 120 && k < 10)
      doc->zoomCommand(appcore::IdZoom10 + k);
    else if (delta <= -120 && k > 1)
      doc->zoomCommand(appcore::IdZoom10 - 2 + k);
    return;
  }
  if (verticalScrollBar()->maximum() <= 0) return;
  const int steps = delta / 120;
  verticalScrollBar()->setValue(verticalScrollBar()->value() - steps * 5 * kLineStep);
}

void CImageView::hideOneLineImage() {
  if (lineWindow_ != nullptr) lineWindow_->hide();
}

void CImageView::showOneLineImage() {
  const model::LineData* line = caret_->caret.line;
  const model::BlockData* block = caret_->caret.block;
  const views::PackedPicture* picture =
      context_.host != nullptr ? context_.host->pagePicture() : nullptr;
  if (line == nullptr || block == nullptr || picture == nullptr || !laidOut()) {
    hideOneLineImage();
    return;
  }
  if (lineWindow_ == nullptr) {
    lineWindow_ = new views::CImgWindow(this);
    lineWindow_->setObjectName("oneLineImage");
  }
  // The group of lines that holds the caret line: its block's, or its cell's.
  const model::List<model::LineData>* group = &block->lines;
  for (const auto& cell : block->cells)
    for (const auto& l : cell.lines)
      if (&l == line) group = &cell.lines;
  const editing::CanvasRect r = editing::oneLineImageRect(*group, *line);
  editing::OneLineWindowParams p;
  p.rect = r;
  p.zoom = scale_;
  p.offset = context_.frame ? editing::oneLineImageOffset(context_.frame->lineImageOffset) : 10;
  p.vertical = block->direction == model::Vertical;
  p.table = block->type == model::BlockTable;
  if (context_.frame != nullptr)
    p.position =
        p.vertical ? context_.frame->verticalLineImagePos : context_.frame->horizontalLineImagePos;
  const QPoint scroll = scrollPosition();
  p.scrollX = scroll.x();
  p.scrollY = scroll.y();
  p.client = {viewport()->width(), viewport()->height()};
  const auto placed = editing::oneLineWindowRect(p);
  if (!placed) {
    hideOneLineImage();
    return;
  }
  lineWindow_->MakeLineImage(*picture, {r.left, r.top, r.right, r.bottom}, scale_);
  if (caret_->caret.valid() && !caret_->caret.atLineEnd()) {
    const model::CharData& c = *caret_->caret.ch;
    lineWindow_->FrameCharacter(
        {c.x - line->x, c.y - line->y, c.x + c.width - 1 - line->x, c.y + c.height - 1 - line->y},
        true);
  }
  const QPoint topLeft = viewport()->mapToGlobal(QPoint(placed->left, placed->top));
  lineWindow_->setGeometry(QRect(topLeft, QSize(placed->width(), placed->height())));
  lineWindow_->show();
  lineWindow_->RepaintLineImage();
}

}  // namespace vellary::textview
