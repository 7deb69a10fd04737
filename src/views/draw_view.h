// CDrawView: the current page's image at the document's scale, with the caret character framed,
// scrolling in step with the text view. It decodes the page image only when the page, the scale
// or the images themselves changed.
#pragma once

#include <QAbstractScrollArea>
#include <optional>
#include <string>

#include "document/changes.h"
#include "views/packed_picture.h"
#include "views/view_host.h"

namespace vellary::views {

class CDrawView : public QAbstractScrollArea, public document::DocumentObserver {
  Q_OBJECT

 public:
  explicit CDrawView(ViewHost& host, QWidget* parent = nullptr);

  // 1 loaded, −1 no document or no current page, −2 the file could not be loaded.
  int LoadPageImage(const std::string& path);
  // Looks the current page's image up and decodes it at the document's scale.
  void loadCurrentPage();
  // document::DocumentObserver
  void documentChanged(const document::ChangeSet& changes) override;
  // Page images decoded by all image views of this run: what a benchmark counts.
  static long decodeCount();
  // The caret character's box in page pixels; left below 0 or an empty box means none.
  void SetHighlight(const PageRect& rect);
  void clearHighlight() { SetHighlight({-1, -1, 0, 0}); }
  // Scrolls to (x, y) in pixels of the scaled page without telling the text view.
  void scrollTo(int x, int y);

  double scale() const { return scale_; }
  const PackedPicture* fullPicture() const { return full_ ? &*full_ : nullptr; }
  const PackedPicture* scaledPicture() const { return scaled_ ? &*scaled_ : nullptr; }
  QSize imageSize() const { return {imageWidth_, imageHeight_}; }
  QSize canvasSize() const { return canvas_; }
  PageRect highlight() const { return highlight_; }
  // The path whose image is shown, or the one last tried.
  const std::string& imagePath() const { return path_; }
  QPoint scrollPosition() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void updateScrollBars();
  // The caret character's frame in character editing, none otherwise.
  void followCaret();
  // Page pixels to the viewport, at the scale and scroll position.
  QRect toWindow(const PageRect& r) const;

  ViewHost& host_;
  double scale_ = -1;
  std::optional<PackedPicture> full_;
  std::optional<PackedPicture> scaled_;  // only below 0.99
  int imageWidth_ = 0, imageHeight_ = 0;
  QSize canvas_;
  PageRect highlight_{-1, -1, 0, 0};
  std::string path_;
  bool syncing_ = false;  // while the text view moves us: no echo back to it
};

}  // namespace vellary::views
