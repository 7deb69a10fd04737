// Image PDF: the invisible text layer. Records of render mode 3 whose pieces put every character
// at its recognised place, so that the text a reader finds and copies lies where the picture
// shows it. Pixel edges become whole points by truncation; offsets are differences of those.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "export/pdf/pdf_data.h"

namespace vellary::exporting::pdf {

namespace {

// The size of a run without positioned characters when no record came before it on the page.
constexpr int kFallbackFontSize = 10;

// Font sizes beyond any page come only from damaged boxes.
int fontSize(int64_t points) { return static_cast<int>(std::clamp<int64_t>(points, 0, 1 << 16)); }

bool taken(const model::CharData& c) {
  const char16_t u = c.text[0];
  return u != 0 && !(c.text[1] == 0 && (u == u'\t' || u == u'\r'));
}

struct Piece {
  int count = 0;
  int x = 0, y = 0;  // offsets in points from the start of the piece before
};

struct Run {
  std::u16string text;
  std::vector<Piece> pieces;
  bool positioned = false;
  int firstX = 0, firstY = 0;      // reference point of the first positioned character
  int L = 0, M = 0, E = 0, P = 0;  // current x and y, anchor edge, pending distance (points)
  int previousHeight = 0;          // largest character height of the last positioned line (pixels)
  int maxHeight = 0, count = 0;    // of the positioned characters (pixels)
  int64_t sumWidth = 0, sumHeight = 0;
  int minLeft = INT_MAX, minTop = INT_MAX, maxBottom = INT_MIN;  // pixels
};

class InvisibleComposer {
 public:
  explicit InvisibleComposer(CPDFdata& data)
      : data_(data),
        page_(data.page()),
        H_(data.heightPoints()),
        Wp_(data.widthPoints()),
        T_(data.dpi() * 3 / 72) {}

  void block(const model::BlockData& block);

 private:
  enum class Kind { Horizontal, Vertical, Table };

  int pt(int64_t pixels) const { return data_.points(pixels); }
  void breakBefore(const model::LineData& line, int limit);
  void line(const model::LineData& line, const model::LineData* previous, bool firstLine,
            bool keepPieceOpen);
  void character(const model::CharData& c);
  void positionedOffsets(const model::CharData& c, Piece& piece);
  void settle();
  bool close();

  CPDFdata& data_;
  PdfPage& page_;
  const int H_, Wp_, T_;
  const model::BlockData* block_ = nullptr;
  Kind kind_ = Kind::Horizontal;
  int font_ = FontMincho;
  int lastSize_ = kFallbackFontSize;
  char16_t previousChar_ = 0;

  Run run_;
  bool pieceOpen_ = false;      // a piece of the current line (or of the cell before) takes chars
  int unpositionedPiece_ = -1;  // the line's leading piece of typed characters, awaiting its place
  int settleTarget_ = -1;       // the piece of the first positioned character after it
  int settleSize_ = 0;          // that character's width (height when vertical) in points
  const model::LineData* line_ = nullptr;
  const model::LineData* previousLine_ = nullptr;
  bool firstLine_ = false;

  // Extents of the block's last run, for the follow-up space (pixels).
  int lastMinLeft_ = 0, lastMinTop_ = 0, lastMaxBottom_ = 0;
  bool lastRunHasText_ = false;
  int candidate_ = -1;  // record that may take a space outside the page
  int candidateMinLeft_ = 0, candidateMaxBottom_ = 0;
};

void InvisibleComposer::block(const model::BlockData& block) {
  block_ = &block;
  kind_ = block.type == model::BlockTable      ? Kind::Table
          : block.direction == model::Vertical ? Kind::Vertical
                                               : Kind::Horizontal;
  // A vertical table is laid out with the horizontal rules, so it takes the horizontal font.
  font_ = fontTypeFor(kind_ == Kind::Vertical ? model::Vertical : model::Horizontal, block.langId);
  run_ = Run{};
  pieceOpen_ = false;
  lastRunHasText_ = false;

  if (kind_ == Kind::Table) {
    for (auto cell = block.cells.begin(); cell != block.cells.end(); ++cell) {
      size_t index = 0;
      for (const model::LineData& l : cell->lines) {
        const bool lastOfCell = ++index == cell->lines.size();
        const bool lastOfBlock = lastOfCell && std::next(cell) == block.cells.end();
        // Only after the last line of a cell may a run end, and then only for a clear change of
        // character size; that line starts the new run.
        if (lastOfCell) breakBefore(l, T_ + 1);
        line(l, nullptr, false, lastOfCell || lastOfBlock);
      }
    }
  } else {
    const model::LineData* previous = nullptr;
    size_t index = 0;
    for (const model::LineData& l : block.lines) {
      const bool lastLine = ++index == block.lines.size();
      breakBefore(l, T_);
      line(l, previous, index == 1, lastLine);
      previous = &l;
    }
  }
  const int lastRecord = close() ? static_cast<int>(page_.texts.size()) - 1 : -1;

  // A vertical block that starts left of the candidate and above its bottom follows it in
  // reading order: a space placed outside the page keeps the two texts apart when extracted.
  if (candidate_ >= 0 && kind_ == Kind::Vertical && lastMinLeft_ < candidateMinLeft_ &&
      lastMinTop_ < candidateMaxBottom_) {
    page_.texts[static_cast<size_t>(candidate_)].text += u' ';
  }
  candidate_ = -1;
  if (kind_ != Kind::Vertical && lastRecord >= 0 && lastRunHasText_) {
    PdfText& r = page_.texts[static_cast<size_t>(lastRecord)];
    r.runLengths.push_back(1);
    r.xOffsets.push_back(-Wp_);
    r.yOffsets.push_back(-H_);
    candidate_ = lastRecord;
    candidateMinLeft_ = lastMinLeft_;
    candidateMaxBottom_ = lastMaxBottom_;
  }
}

// Closes the run before a line whose characters differ in height from the run's last line by
// more than `limit` pixels, so that the line starts a new record.
void InvisibleComposer::breakBefore(const model::LineData& l, int limit) {
  if (!run_.positioned) return;
  int h = 0;
  bool any = false;
  for (const model::CharData& c : l.chars)
    if (taken(c) && isPositioned(c)) any = true, h = std::max(h, c.height);
  if (any && std::abs(h - run_.previousHeight) > limit) {
    close();
    run_ = Run{};
    pieceOpen_ = false;
  }
}

void InvisibleComposer::line(const model::LineData& l, const model::LineData* previous,
                             bool firstLine, bool keepPieceOpen) {
  line_ = &l;
  previousLine_ = previous;
  firstLine_ = firstLine;
  unpositionedPiece_ = -1;
  settleTarget_ = -1;
  if (kind_ != Kind::Table) pieceOpen_ = false;
  int lineHeight = 0;
  bool linePositioned = false;
  for (const model::CharData& c : l.chars) {
    if (!taken(c)) continue;
    if (isPositioned(c)) linePositioned = true, lineHeight = std::max(lineHeight, c.height);
    character(c);
  }
  settle();
  if (linePositioned) run_.previousHeight = lineHeight;
  if (!keepPieceOpen) pieceOpen_ = false;
}

void InvisibleComposer::character(const model::CharData& c) {
  run_.text += c.text[0];
  if (c.text[1] != 0) run_.text += c.text[1];
  if (isPositioned(c)) {
    settle();
    Piece piece{1, 0, 0};
    positionedOffsets(c, piece);
    run_.pieces.push_back(piece);
    pieceOpen_ = true;
    if (unpositionedPiece_ >= 0) {
      settleTarget_ = static_cast<int>(run_.pieces.size()) - 1;
      settleSize_ = pt(kind_ == Kind::Vertical ? c.height : c.width);
    }
    run_.count++;
    run_.maxHeight = std::max(run_.maxHeight, c.height);
    run_.sumWidth += c.width;
    run_.sumHeight += c.height;
    run_.minLeft = std::min(run_.minLeft, c.x);
    run_.minTop = std::min(run_.minTop, c.y);
    run_.maxBottom = static_cast<int>(std::max<int64_t>(run_.maxBottom, int64_t{c.y} + c.height));
  } else if (pieceOpen_) {
    run_.pieces.back().count++;
  } else {
    // Typed characters at the start of a line begin a piece of their own.
    Piece piece{1, 0, 0};
    const int s = lastSize_;
    if (kind_ == Kind::Table) {
      piece.x = s / 2;
    } else if (kind_ == Kind::Vertical) {
      if (firstLine_ || previousLine_ == nullptr) {
        piece.x = pt(block_->x) + s / 2;
        piece.y = data_.points(int64_t{block_->y} - data_.height());
      } else {
        int64_t heights = 0;
        for (const model::CharData& p : previousLine_->chars)
          if ((p.x >= 1 || p.y >= 1) && p.height > 1) heights += p.height;
        piece.x = -data_.points(int64_t{previousLine_->x} - line_->x) - s / 2;
        piece.y = -data_.points(heights);
      }
    }
    run_.pieces.push_back(piece);
    pieceOpen_ = true;
    unpositionedPiece_ = static_cast<int>(run_.pieces.size()) - 1;
    settleTarget_ = -1;
  }
  previousChar_ = c.text[0];
}

void InvisibleComposer::positionedOffsets(const model::CharData& c, Piece& piece) {
  const bool vertical = kind_ == Kind::Vertical;
  const int left = pt(c.x), right = pt(static_cast<int64_t>(c.x) + c.width);
  const int top = pt(c.y), bottom = pt(static_cast<int64_t>(c.y) + c.height);
  const int rx = vertical ? pt(int64_t{c.x} + c.width / 2) : left;
  const int ry = vertical ? top : bottom;
  Run& r = run_;
  if (!r.positioned) {
    r.positioned = true;
    r.firstX = rx;
    r.firstY = ry;
    r.L = r.M = r.P = 0;
    r.E = vertical ? left : bottom;
    piece.x = rx;
    piece.y = ry - H_;
    return;
  }
  const int X = rx - r.firstX, Y = ry - r.firstY;
  if (vertical) {
    piece.y = Y - r.M;
    r.M = Y;
    if (r.E < right) {
      piece.x = 0;
    } else {
      piece.x = X - r.L;
      r.L = X;
      r.E = left;
    }
    return;
  }
  piece.x = X - r.L;
  piece.y = Y - r.M;
  r.L = X;
  if (r.E < top) {  // the character begins a new line
    r.M = Y;
    r.E = bottom;
    piece.x += r.P;
    r.P = 0;
    return;
  }
  piece.y = 0;
  const char16_t code = c.text[0];
  bool afterBreak = previousChar_ == u' ';
  if (kind_ == Kind::Table)
    afterBreak = afterBreak || previousChar_ == u'\u3000' || (code > 254 && previousChar_ > 254);
  if (!afterBreak) {
    // Continues the string of its predecessor; the distance is kept for the next placed piece.
    r.P += piece.x;
    piece.x = 0;
  } else if (r.P > 0) {
    piece.x += r.P;
    r.P = 0;
  }
}

// Places the typed characters at the start of a line just before the first positioned
// character that follows them, moving that character's offsets onto their piece.
void InvisibleComposer::settle() {
  if (settleTarget_ < 0 || unpositionedPiece_ < 0) return;
  Piece& u = run_.pieces[static_cast<size_t>(unpositionedPiece_)];
  Piece& t = run_.pieces[static_cast<size_t>(settleTarget_)];
  const int c = t.count > 0 ? settleSize_ / t.count : 0;
  int d = c * u.count;
  unpositionedPiece_ = settleTarget_ = -1;
  if (d <= 0) return;
  if (kind_ != Kind::Vertical) {
    if (t.x < d) d = t.x;
    u.x = t.x - d;
    u.y = t.y;
    t.x = d;
    t.y = 0;
  } else if (t.y + d < -H_) {
    u.x = t.x;
    u.y = -H_;
    t.x = 0;
    t.y = t.y + H_;
  } else {
    u.x = t.x;
    u.y = t.y + d;
    t.x = 0;
    t.y = -d;
  }
}

// Turns the open run into a record. False when the run holds nothing.
bool InvisibleComposer::close() {
  settle();
  Run& r = run_;
  lastRunHasText_ = !r.text.empty();
  lastMinLeft_ = r.positioned ? r.minLeft : block_->x;
  lastMinTop_ = r.positioned ? r.minTop : block_->y;
  lastMaxBottom_ =
      r.positioned
          ? r.maxBottom
          : static_cast<int>(std::min<int64_t>(int64_t{block_->y} + block_->height, INT_MAX));
  if (!r.positioned && r.pieces.empty()) return false;
  const int dpi = data_.dpi();
  PdfText t;
  t.text = r.text;
  t.fontType = font_;
  t.renderMode = RenderInvisible;
  if (r.count == 0) {
    t.fontSize = lastSize_;
  } else if (kind_ == Kind::Table) {
    const double w = static_cast<double>(r.sumWidth + r.P) / r.count;
    const double a = static_cast<double>(r.sumHeight) / r.count;
    t.fontSize = fontSize(std::llround(((dpi + w * 72) / dpi + (dpi + a * 72) / dpi) / 2));
  } else {
    t.fontSize = fontSize((dpi + int64_t{r.maxHeight} * 72) / dpi);
  }
  for (const Piece& p : r.pieces) {
    t.runLengths.push_back(p.count);
    t.xOffsets.push_back(p.x);
    t.yOffsets.push_back(p.y);
  }
  lastSize_ = t.fontSize;
  page_.texts.push_back(std::move(t));
  return true;
}

}  // namespace

void CPDFdata::composeInvisibleText(const model::PageData& page) {
  int64_t total = 0;
  for (const model::BlockData& block : page.blocks) {
    if (block.type == model::BlockText) total += block.charCount;
    if (block.type == model::BlockTable)
      for (const model::CellData& cell : block.cells) total += cell.charCount;
  }
  if (total <= 0) return;
  InvisibleComposer composer(*this);
  for (const model::BlockData& block : page.blocks) {
    if (block.charCount < 1) continue;
    if (block.type != model::BlockText && block.type != model::BlockTable) continue;
    composer.block(block);
  }
}

}  // namespace vellary::exporting::pdf
