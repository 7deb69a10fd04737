// CImageView: the text view. It lays out the current page (layout display or text-flow display),
// renders it into an offscreen page image at every full update, paints by copying that image and
// drawing the edit-mode overlays on top, redraws single lines in place, zooms, scrolls in step
// with the image view and places the one-line image window beside the caret line. In character
// editing it is the editor's window: mouse, keys, the input method and the clipboard go to the
// editing context's Editor, and the view draws the caret and the selection it holds. What it draws
// again after an edit comes from the document's change sets, nowhere else.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QRect>
#include <memory>

#include "document/changes.h"
#include "editing/caret.h"
#include "editing/editor.h"
#include "editing/hit_test.h"
#include "editing/layout.h"
#include "textview/page_painter.h"

class QTimer;

namespace vellary::appcore {
struct AppSettings;
struct FrameSettings;
class CharTable;
}  // namespace vellary::appcore

namespace vellary::views {
class ViewHost;
class CImgWindow;
}  // namespace vellary::views

namespace vellary::textview {

class CImageView : public QAbstractScrollArea, public document::DocumentObserver {
  Q_OBJECT

 public:
  // What the view reads; every pointer outlives the view. Without a host the view stays empty.
  struct Context {
    views::ViewHost* host = nullptr;
    appcore::FrameSettings* frame = nullptr;  // display values; the colour mode is written back
    const appcore::AppSettings* app = nullptr;
    const appcore::CharTable* registered = nullptr;
    // Character editing; without it the view keeps a caret state of its own and takes no input.
    editing::EditingContext* editing = nullptr;
  };

  explicit CImageView(QWidget* parent = nullptr);
  ~CImageView() override;
  void setContext(const Context& context);

  double scale() const { return scale_; }
  void setScale(double scale) { scale_ = scale; }

  // document::DocumentObserver: the one place where what changed becomes what is drawn again.
  void aboutToReset() override;
  void documentChanged(const document::ChangeSet& changes) override;

  // --- For the editing commands --------------------------------------------------------------
  // The editing context's caret state (the view's own without one).
  const editing::CaretState& caretState() const { return *caret_; }
  // After a scale change or a change of mode: the caret is shown where it now stands.
  void reestablishCaret();
  // The clipboard in character editing: copy the selection (nothing without one), paste the
  // clipboard's text at the caret.
  void copySelection();
  void pasteClipboard();
  // The hit-test boxes of the current layout (canvas pixels), made again after each layout.
  const editing::PageBoxes& hitBoxes();
  // Where the caret's bar is drawn, in canvas pixels; empty without a caret.
  QRect caretRect();
  // The input method's questions: the caret's place and font (composition at the caret).
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  // Re-lays out the page's numbers and renders one line again into the page image, then
  // invalidates its box. A side line redraws its base line. `caretChange` widens the invalidated
  // area as a change of the caret line needs. A line the layout does not hold is passed over.
  void redrawLine(const model::LineData* line, bool caretChange = false);
  // The canvas rectangle of the selection within one line, or of the caret character when
  // nothing is selected; empty when neither is laid out.
  QRect selectionRect() const;
  // Scrolls as little as possible so that the canvas rectangle lies inside the viewport with a
  // small margin (the image view scrolls with it).
  void scrollIntoView(const QRect& canvasRect);
  // The current layout, for hit-testing: canvas pixels = viewport pixels + scrollPosition().
  const editing::PageLayout& layout() const { return layout_; }
  model::PageData* currentPage() const { return page_; }
  int currentPageIndex() const { return pageIndex_; }
  QPoint scrollPosition() const;
  // Scrolls without telling the image view (it is the one that moved).
  void scrollTo(int x, int y);
  // The colour mode commands.
  void setColourMode(appcore::ColourMode mode);
  appcore::ColourMode colourMode() const;
  // Places and shows the one-line image window for the caret line (image sub-mode 1).
  void showOneLineImage();
  void hideOneLineImage();
  views::CImgWindow* oneLineWindow() const { return lineWindow_; }
  // The offscreen page image.
  const QImage& pageImage() const { return canvas_; }
  // Canvas pixels: where the composition is drawn, and the part of the caret line from the caret
  // on, which is drawn moved on past the composition meanwhile. Empty without a composition.
  QRect preeditArea() const;
  QRect restOfCaretLine() const;
  // How often the whole page was laid out and rendered again: what a test or benchmark counts
  // to know that an edit redrew only its line.
  int fullUpdates() const { return fullUpdates_; }
  const RenderSettings& renderSettings() const { return settings_; }

 signals:
  // The view is about to go: helpers that filter its events let go of it while it is whole.
  void tearingDown();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  // image_view_input.cpp
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void fullUpdate();
  void updateScrollBars();
  const QImage* linePicture() const;
  bool laidOut() const;
  appcore::EditMode editMode() const;
  bool characterEditing() const { return editMode() == appcore::EditMode::Character; }
  appcore::ImagePane imagePane() const;
  // Typing and mouse gestures go to the editor when there is one; each answers whether the input
  // was accepted, and a refusal beeps.
  void refusedBeep(bool accepted);
  // The caret's line changed: both lines are drawn again (edit-line colour, reject colours).
  void followCaretLine();
  bool isCaretLine(const model::LineData* line) const;
  // Drops what of the caret state no longer names records of the current page.
  void keepCaretOnPage();
  // The line drawn in the caret line's colour: none while a selection is shown.
  const model::LineData* drawnCaretLine() const;
  // Lays the page out again (numbers only) and renders the lines into the page image.
  void renderLines(const std::vector<const model::LineData*>& lines, bool caretChange);
  // After the caret moved: one-line image, scrolling, blinking, input method. `pageEntered`
  // scrolls a new page to its start first; `reveal` brings the selection into view with a margin
  // instead of centring the caret.
  void caretMoved(bool pageEntered, bool reveal = false);
  void ensureCaretVisible();
  void scrollToPageStart();
  void restartBlink();
  // The caret character's cell in canvas pixels (one cell past the text at the end position).
  QRect caretCell() const;
  QPoint toCanvas(QPoint viewportPoint) const { return viewportPoint + scrollPosition(); }
  // Keeps the last mouse position in page pixels, as block editing keeps it.
  void rememberMouse(QPoint canvas);
  void updateCursorShape(QPoint viewportPoint);
  bool typingAllowed() const;
  void paintOverlays(QPainter& p);
  void paintTableBorders(QPainter& p);
  void paintSelection(QPainter& p);
  // The input method's composition, drawn at the caret in the line's direction until committed.
  void paintPreedit(QPainter& p);

  Context context_;
  double scale_ = 0.5;
  RenderSettings settings_;
  editing::PageLayout layout_;
  QImage canvas_;
  model::PageData* page_ = nullptr;
  int pageIndex_ = -1;
  const void* entriesUsed_ = nullptr;
  editing::CaretState ownCaret_;
  editing::CaretState* caret_ = &ownCaret_;  // the editor's state when there is an editor
  editing::PageBoxes boxes_;
  bool boxesValid_ = false;
  QTimer* blink_ = nullptr;
  bool caretShown_ = true;
  QRect drawnCaret_;  // canvas pixels
  // The line last drawn as the caret line. Only compared, never followed: it may be gone.
  const model::LineData* caretLineDrawn_ = nullptr;
  bool leftDown_ = false;
  // A drag that leaves the viewport scrolls the page towards the pointer while the button is
  // held, extending the selection as it goes.
  QTimer* dragScroll_ = nullptr;
  QPoint dragPoint_;  // viewport pixels
  void dragScrollStep();
  bool caretPending_ = false;  // re-establish the caret after the next full update
  QString preedit_;            // the input method's composition, not yet committed
  views::CImgWindow* lineWindow_ = nullptr;
  bool syncing_ = false;
  bool builtLayoutInCharEditing_ = false;
  int fullUpdates_ = 0;
};

}  // namespace vellary::textview
