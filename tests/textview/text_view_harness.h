// A text view on a real document without the main frame: the page is built in memory, written as
// a file and opened, and the modes are plain fields. Pixel helpers read the offscreen page image.
#pragma once

#include <QImage>
#include <QString>
#include <memory>

#include "../editing/layout_pages.h"
#include "appcore/char_tables.h"
#include "editing/editing_context.h"
#include "rovorirud/writer.h"
#include "support/gui_harness.h"
#include "textview/image_view.h"
#include "views/draw_view.h"

namespace vellary::testing {

class TextViewHarness : public views::ViewHost {
 public:
  TextViewHarness() {
    appcore::applyFontDefaults(app);
    document::DocumentSetup s;
    s.prompter = &prompter;
    s.app = &app;
    s.settings = &store;
    s.frame = &frame;
    s.clock = &clock;
    s.backupPath = dir / "_$backup.xml";
    doc = std::make_unique<document::CScrivlaDoc>(s);
    // Re-composition would attach and move side lines; these pages are laid out as built.
    doc->reComposeAfterLoad = nullptr;
    editContext = std::make_unique<editing::EditingContext>(*doc, prompter);
    imageView = std::make_unique<views::CDrawView>(*this);
    view = std::make_unique<textview::CImageView>();
    view->setContext({this, &frame, &app, &registered, editContext.get()});
    view->resize(700, 500);
    doc->addObserver(imageView.get());
    doc->addObserver(view.get());
  }
  ~TextViewHarness() override {
    doc->removeObserver(view.get());
    doc->removeObserver(imageView.get());
  }
  // The views draw everything again, as after a change of the display settings.
  void redrawAll() { doc->notify(document::ChangeSet::everything()); }
  // A display mode or colour setting changed.
  void redisplay() { doc->notify(document::ChangeSet::of(document::Change::Display)); }
  // Puts the caret and selection where a command would, and tells the views.
  void setCaret(const editing::CaretState& state) {
    editContext->state() = state;
    doc->notify(document::ChangeSet::of(document::Change::Caret));
  }

  // Writes the page as the document's only page and opens it at the zoom.
  bool open(model::PageData page, double zoom = 1.0) {
    model::PaperData paper;
    paper.encoding = 1;
    page.number = 1;
    paper.pages.push_back(std::move(page));
    const std::string path = dir / "page.xml";
    if (rovorirud::writeDocumentFile(paper, path) != 0) return false;
    if (!doc->open(path, false)) return false;
    doc->zoomCommand(appcore::IdZoom10 + static_cast<int>(zoom * 10 + 0.1) - 1);
    redrawAll();
    return true;
  }

  model::PageData& page() { return *doc->page(doc->currentPage()); }
  model::LineData& line(int block, int line) {
    auto b = std::next(page().blocks.begin(), block);
    return *std::next(b->lines.begin(), line);
  }
  const editing::LinePlace& place(int block, int lineIndex) {
    return *view->layout().find(&line(block, lineIndex));
  }
  // The cell of character `index` of a line in canvas pixels.
  QRect cellOf(int block, int lineIndex, int index) {
    return textview::toQRect(editing::charBox(place(block, lineIndex), index));
  }

  // views::ViewHost
  document::CScrivlaDoc* document() override { return doc.get(); }
  editing::EditingContext* editing() override { return editContext.get(); }
  appcore::EditMode editMode() const override { return edit; }
  appcore::TextDisplay textDisplay() const override { return display; }
  appcore::ImagePane imagePane() const override { return pane; }
  void focusTextView() override {}
  const views::PackedPicture* pagePicture() const override { return imageView->fullPicture(); }
  void syncScroll(int which, int x, int y) override {
    if (which == 1) imageView->scrollTo(x, y);
  }

  TempDir dir;
  appcore::MemorySettingsStore store;
  RecordingPrompter prompter;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  appcore::CharTable registered{appcore::CharTable::Kind::Registered};
  FixedClock clock;
  std::unique_ptr<document::CScrivlaDoc> doc;
  std::unique_ptr<editing::EditingContext> editContext;
  std::unique_ptr<views::CDrawView> imageView;
  std::unique_ptr<textview::CImageView> view;
  appcore::EditMode edit = appcore::EditMode::Character;
  appcore::TextDisplay display = appcore::TextDisplay::Layout;
  appcore::ImagePane pane = appcore::ImagePane::TextOnly;
};

// Pixels of a region that are clearly coloured (not white, grey or black).
struct Ink {
  int total = 0;   // any pixel darker than near-white
  int red = 0, green = 0, blue = 0;
  QRect bounds;    // of all ink
};

inline Ink inkIn(const QImage& image, const QRect& region) {
  Ink ink;
  const QRect r = region.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 235 && c.green() > 235 && c.blue() > 235) continue;
      ++ink.total;
      ink.bounds = ink.bounds.united(QRect(x, y, 1, 1));
      if (c.red() > 150 && c.green() < 90 && c.blue() < 90) ++ink.red;
      if (c.green() > 150 && c.red() < 90 && c.blue() < 90) ++ink.green;
      if (c.blue() > 150 && c.red() < 90 && c.green() < 90) ++ink.blue;
    }
  return ink;
}

// The ink mask of a region: 1 where a pixel is not near-white.
inline QImage inkMask(const QImage& image, const QRect& region) {
  QImage mask(region.size(), QImage::Format_Grayscale8);
  mask.fill(0);
  for (int y = 0; y < region.height(); ++y)
    for (int x = 0; x < region.width(); ++x) {
      const QColor c = image.pixelColor(region.x() + x, region.y() + y);
      const bool inked = !(c.red() > 200 && c.green() > 200 && c.blue() > 200);
      mask.setPixel(x, y, inked ? 255 : 0);
    }
  return mask;
}

}  // namespace vellary::testing
