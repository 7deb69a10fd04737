// CImageView: the text view. It lays out the current page (layout display or text-flow display),
// renders it into an offscreen page image at every full update, paints by copying that image and
// drawing the edit-mode overlays on top, redraws single lines in place, zooms, scrolls in step
// with the image view and places the one-line image window beside the caret line.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <memory>

#include "editing/caret.h"
#include "editing/layout.h"
#include "textview/page_painter.h"

namespace vellary::appcore {
struct AppSettings;
struct FrameSettings;
class CharTable;
}  // namespace vellary::appcore

namespace vellary::views {
class ViewHost;
class CDrawView;
class CPSelectView;
class CImgWindow;
}  // namespace vellary::views

namespace vellary::textview {

class CImageView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // What the view reads; every pointer outlives the view. Without a host the view stays empty.
  struct Context {
    views::ViewHost* host = nullptr;
    appcore::FrameSettings* frame = nullptr;  // display values; the colour mode is written back
    const appcore::AppSettings* app = nullptr;
    const appcore::CharTable* registered = nullptr;
    views::CDrawView* imageView = nullptr;  // its picture gives the line images
    views::CPSelectView* pageList = nullptr;
  };

  explicit CImageView(QWidget* parent = nullptr);
  ~CImageView() override;
  void setContext(const Context& context);

  double scale() const { return scale_; }
  void setScale(double scale) { scale_ = scale; }
  // The document's update: hints with the value-2 bit are ignored, any other rebuilds the page.
  void onUpdate(int hint);
  // Drops the block entry, block, line, caret character and selection.
  void resetCaret();

  // --- For the editing commands --------------------------------------------------------------
  const editing::CaretState& caretState() const { return caret_; }
  // Takes a new caret state: the old and the new caret line are redrawn when they differ, the
  // image view's highlight and the one-line image window follow.
  void setCaretState(const editing::CaretState& state);
  // Re-lays out the page's numbers and renders one line again into the page image, then
  // invalidates its box. A side line redraws its base line. `caretChange` widens the invalidated
  // area as a change of the caret line needs.
  void redrawLine(const model::LineData* line, bool caretChange = false);
  // The current layout, for hit-testing: canvas pixels = viewport pixels + scrollPosition().
  const editing::PageLayout& layout() const { return layout_; }
  model::PageData* currentPage() const { return page_; }
  int currentPageIndex() const { return pageIndex_; }
  QPoint scrollPosition() const;
  // Scrolls without telling the image view (it is the one that moved).
  void scrollTo(int x, int y);
  // The colour mode commands: 0 normal, 1 edit line, 2 character class, 3 registered.
  void setColourMode(int mode);
  int colourMode() const;
  // Places and shows the one-line image window for the caret line (image sub-mode 1).
  void showOneLineImage();
  void hideOneLineImage();
  views::CImgWindow* oneLineWindow() const { return lineWindow_; }
  // The offscreen page image.
  const QImage& pageImage() const { return canvas_; }
  const RenderSettings& renderSettings() const { return settings_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void fullUpdate();
  void updateScrollBars();
  const QImage* linePicture() const;
  bool laidOut() const;
  int editMode() const;
  int imageSubMode() const;
  bool isCaretLine(const model::LineData* line) const;
  void paintOverlays(QPainter& p);
  void paintTableBorders(QPainter& p);
  void paintSelection(QPainter& p);

  Context context_;
  double scale_ = 0.5;
  RenderSettings settings_;
  editing::PageLayout layout_;
  QImage canvas_;
  model::PageData* page_ = nullptr;
  int pageIndex_ = -1;
  const void* entriesUsed_ = nullptr;
  editing::CaretState caret_;
  views::CImgWindow* lineWindow_ = nullptr;
  bool syncing_ = false;
  bool builtLayoutInCharEditing_ = false;
};

}  // namespace vellary::textview
