// CImageView's painting: the copy of the page image and what is drawn over it — table borders,
// block frames and numbers, the current entry's tracker, the selection and the caret.
#include <QPaintEvent>
#include <QPainter>

#include "document/document.h"
#include "model/block_entries.h"
#include "textview/glyphs.h"
#include "textview/image_view.h"
#include "views/view_host.h"

namespace vellary::textview {

namespace {

const QColor kWindowBackground(0xC0, 0xC0, 0x7F);  // 0x7FC0C0

QColor sectionNumberColour(int sec) {
  switch (sec) {
    case model::SecText:
      return fromColorRef(0x00BE00);
    case model::SecTitle:
      return fromColorRef(0x940000);
    case model::SecAuthor:
      return fromColorRef(0x940094);
    case model::SecTerminater:
      return fromColorRef(0x949494);
    case model::SecExTitle:
      return fromColorRef(0x94BCBC);
    case model::SecExAuther:
      return fromColorRef(0xBC9494);
    case model::SecNoOutput:
      return fromColorRef(0x3F3F3F);
    default:
      return fromColorRef(0x0000BE);
  }
}

QRect entryRect(const model::BlockEntry& e, double zoom) {
  const model::DisplayBox b = model::displayBoxFor(e.x, e.y, e.width, e.height, zoom);
  return QRect(QPoint(b.left, b.top), QPoint(b.right - 1, b.bottom - 1));
}

}  // namespace

void CImageView::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QPoint scroll = scrollPosition();
  const QRect canvasOnScreen = canvas_.isNull() ? QRect() : QRect(-scroll, canvas_.size());
  // Outside the canvas: the window background.
  const QRegion outside = QRegion(event->rect()) - QRegion(canvasOnScreen);
  for (const QRect& r : outside) p.fillRect(r, kWindowBackground);
  if (canvas_.isNull()) return;
  const QRect dirty = event->rect().intersected(canvasOnScreen);
  p.drawImage(dirty.topLeft(), canvas_, dirty.translated(scroll));
  p.translate(-scroll);
  if (laidOut()) paintTableBorders(p);
  // The composition moves part of the page image: frames and highlights go over it.
  paintPreedit(p);
  // Entry frames and the tracker stand on the page's geometry, which only the layout display
  // shows; drawn over the text-flow display's rows they would cross unrelated text.
  if (laidOut()) paintOverlays(p);
  paintSelection(p);
}

void CImageView::paintTableBorders(QPainter& p) {
  if (page_ == nullptr) return;
  const double z = scale_;
  auto tr = [z](int v) { return static_cast<int>(v * z); };
  p.setBrush(Qt::NoBrush);
  for (const auto& block : page_->blocks) {
    if (block.type != model::BlockTable) continue;
    for (const auto& cell : block.cells) {
      const int l = tr(cell.x), t = tr(cell.y), r = tr(cell.x + cell.width),
                b = tr(cell.y + cell.height);
      const QLine sides[4] = {{l, t, l, b}, {l, t, r, t}, {r, t, r, b}, {l, b, r, b}};
      for (int i = 0; i < 4; ++i) {
        const int style = cell.border[i];
        if (style != model::BorderSolid && style != model::BorderDotted) continue;
        p.setPen(QPen(Qt::black, 1, style == model::BorderSolid ? Qt::SolidLine : Qt::DashLine));
        p.drawLine(sides[i]);
      }
    }
  }
}

void CImageView::paintOverlays(QPainter& p) {
  document::CScrivlaDoc* doc = context_.host ? context_.host->document() : nullptr;
  const appcore::EditMode mode = editMode();
  if (doc == nullptr || page_ == nullptr || mode == appcore::EditMode::None) return;
  if (pageIndex_ < 0 || static_cast<size_t>(pageIndex_) >= doc->blockEntries().pageCount()) return;
  const auto& entries = doc->blockEntries().page(static_cast<size_t>(pageIndex_)).entries;
  const bool beside = laidOut() && imagePane() == appcore::ImagePane::ImageBeside;
  const double z = scale_;
  p.setBrush(Qt::NoBrush);

  if (!(mode == appcore::EditMode::Character && beside)) {
    for (const auto& e : entries) {
      const QRect r = entryRect(e, z);
      if (e.sec == model::SecTitle) {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setPen(QPen(fromColorRef(0x0000D5), 2));
        p.drawRect(r);
        continue;
      }
      const bool pageNumber = e.sec == model::SecUpperPageNum || e.sec == model::SecLowerPageNum;
      QColor colour = pageNumber ? QColor(255, 0, 0) : fromColorRef(0x00FF00);
      if (beside && !pageNumber) colour = fromColorRef(0x7FFF7F);
      p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
      p.setPen(QPen(colour, 1));
      p.drawRect(r);
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }

  if (mode == appcore::EditMode::Block) {
    const bool numbers = context_.frame != nullptr && context_.frame->showBlockNumbers != 0;
    QFont font = storedFont(QStringLiteral("ＭＳ ゴシック"),
                            z < 0.2   ? 10
                            : z < 0.5 ? 15
                                      : static_cast<int>(z * 40),
                            true);
    p.setFont(font);
    int number = 1;
    for (const auto& e : entries) {
      const QRect r = entryRect(e, z);
      if (numbers) {
        p.setPen(sectionNumberColour(e.sec));
        textOut(p, font, r.topLeft(), 0, QString::number(number));
      }
      if (e.selected) {
        for (const QPoint c : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
          p.fillRect(QRect(c - QPoint(1, 1), QSize(2, 2)), Qt::black);
      }
      ++number;
    }
  }

  // The current entry last, with its tracker: a dashed frame and handles outside the box.
  if (caret_->entry >= 0 && static_cast<size_t>(caret_->entry) < entries.size()) {
    const QRect r = entryRect(entries[static_cast<size_t>(caret_->entry)], z);
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawRect(r);
    constexpr int h = 6;
    const int xs[3] = {r.left() - h, r.center().x() - h / 2, r.right() + 1};
    const int ys[3] = {r.top() - h, r.center().y() - h / 2, r.bottom() + 1};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        if (i != 1 || j != 1) p.fillRect(QRect(xs[i], ys[j], h, h), Qt::black);
  }

  // The caret character framed in its line image beside the text.
  if (mode == appcore::EditMode::Character && beside && caret_->caret.valid() &&
      !caret_->caret.atLineEnd()) {
    if (const auto* lp = layout_.find(caret_->caret.line)) {
      if (const auto box = editing::charBoxInLineImage(*lp, *caret_->caret.ch)) {
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.setPen(QPen(fromColorRef(0x007F7F), 2));
        p.drawRect(toQRect(*box));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      }
    }
  }
}

void CImageView::paintSelection(QPainter& p) {
  if (!characterEditing() || page_ == nullptr) return;
  const editing::Selection& sel = caret_->selection;
  if (!sel.empty() && sel.anchor.block == sel.active.block) {
    // The selected cells of each line, as one span per line, are shown inverted.
    const editing::PageBoxes& boxes = hitBoxes();
    p.setCompositionMode(QPainter::CompositionMode_Difference);
    for (const editing::LineSpan& span : editing::selectionSpans(*page_, sel)) {
      const editing::LineBoxes* lb = editing::findLineBoxes(boxes, span.line);
      if (lb == nullptr) continue;
      const editing::Box b = editing::spanBox(*lb, span.first, span.last);
      if (!b.empty()) p.fillRect(QRect(b.x, b.y, b.width, b.height), Qt::white);
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  // The caret: a bar at the leading edge of its cell, blinking while the view has the focus.
  drawnCaret_ = caretRect();
  if (caretShown_ && hasFocus() && !drawnCaret_.isNull()) p.fillRect(drawnCaret_, Qt::black);
}

void CImageView::paintPreedit(QPainter& p) {
  if (preedit_.isEmpty() || !caret_->caret.valid()) return;
  const editing::LinePlace* lp = layout_.find(caret_->caret.line);
  const QRect cell = caretCell();
  if (lp == nullptr || cell.isNull()) return;
  const QRect area = preeditArea();
  const bool vertical = lp->vertical;
  // The characters after the caret make way: the rest of the line, as drawn, moves on by the
  // composition's length, so that nothing is drawn over them while the user composes.
  const QRect rest = restOfCaretLine();
  if (!rest.isEmpty()) {
    const QPoint by = vertical ? QPoint(0, area.height()) : QPoint(area.width(), 0);
    p.drawImage(rest.topLeft() + by, canvas_, rest);
  }
  const int size = vertical ? area.width() : area.height();
  const QFont font = storedFont(settings_.japaneseFont, size);
  const QString text = preedit_;
  p.fillRect(area, Qt::white);
  p.setPen(Qt::black);
  if (vertical) {
    int y = area.top();
    for (qsizetype i = 0; i < text.size(); ++i) {
      const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
      verticalCharOut(p, font, QPoint(area.right() + 1, y), text.mid(i, pair ? 2 : 1));
      y += size;
      if (pair) ++i;
    }
    p.drawLine(area.left() - 1, area.top(), area.left() - 1, y);
  } else {
    textOut(p, font, area.topLeft(), 0, text);
    p.drawLine(area.left(), area.bottom() + 1, area.left() + textWidth(font, text),
               area.bottom() + 1);
  }
}

QRect CImageView::preeditArea() const {
  const editing::LinePlace* lp = caret_->caret.valid() ? layout_.find(caret_->caret.line) : nullptr;
  const QRect cell = caretCell();
  if (preedit_.isEmpty() || lp == nullptr || cell.isNull()) return {};
  const bool vertical = lp->vertical;
  const int size = std::max(std::min(vertical ? cell.width() : cell.height(), 64), 12);
  // One cell per UTF-16 unit is enough room: a pair is drawn as one glyph in its two cells.
  const int n = static_cast<int>(preedit_.size());
  return vertical ? QRect(cell.right() + 1 - size, cell.top(), size, n * size)
                  : QRect(cell.left(), cell.top(), n * size, size);
}

QRect CImageView::restOfCaretLine() const {
  const editing::LinePlace* lp = caret_->caret.valid() ? layout_.find(caret_->caret.line) : nullptr;
  if (preedit_.isEmpty() || lp == nullptr) return {};
  const int from = caret_->caret.index();
  QRect rest;
  for (const editing::GlyphPlace& g : lp->glyphs)
    if (g.index >= from) rest = rest.united(toQRect(g.box));
  if (rest.isEmpty()) return {};
  // Across the line: its whole drawn thickness, so that no part of a glyph stays behind.
  const QRect line = toQRect(lp->box).intersected(QRect(QPoint(0, 0), canvas_.size()));
  if (lp->vertical) {
    rest.setLeft(std::min(rest.left(), line.left()));
    rest.setRight(std::max(rest.right(), line.right()));
  } else {
    rest.setTop(std::min(rest.top(), line.top()));
    rest.setBottom(std::max(rest.bottom(), line.bottom()));
  }
  return rest.intersected(QRect(QPoint(0, 0), canvas_.size()));
}

}  // namespace vellary::textview
