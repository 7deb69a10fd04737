// A host for the page and image views without the main frame: a real document whose view seam
// records what it was asked, and the modes as plain fields.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "support/gui_harness.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

namespace vellary::testing {

class ViewHarness : public views::ViewHost, public document::DocumentViews {
 public:
  ViewHarness() {
    document::DocumentSetup s;
    s.prompter = &prompter;
    s.views = this;
    s.app = &app;
    s.settings = &store;
    s.clock = &clock;
    s.backupPath = dir / "_$backup.xml";
    doc = std::make_unique<document::CScrivlaDoc>(s);
    pageList = std::make_unique<views::CPSelectView>(*this, views::PreviewCache(dir / "previews"));
    pageList->resize(220, 600);
    imageView = std::make_unique<views::CDrawView>(*this);
    imageView->resize(400, 300);
  }

  bool open(const std::string& path) {
    const bool ok = doc->open(path, false);
    pageList->RefreshPageList();
    imageView->onUpdate(0);
    return ok;
  }

  // views::ViewHost
  document::CScrivlaDoc* document() override { return doc.get(); }
  int editMode() const override { return edit; }
  int textDisplayMode() const override { return display; }
  int imageSubMode() const override { return 0; }
  void updateViews(int hint) override { updateAllViews(hint); }
  void resetTextView() override { ++resets; }
  void reestablishCaret() override { ++caretRestores; }
  void focusTextView() override { ++focusRequests; }
  void showPageCounter(const QString& text) override { counter = text; }
  void syncScroll(int which, int x, int y) override { scrolls.push_back({which, x, y}); }
  void redrawLineRect() override {}

  // document::DocumentViews
  void updateAllViews(int hint) override {
    hints.push_back(hint);
    if (pageList) pageList->onUpdate(hint);
    if (imageView) imageView->onUpdate(hint);
  }
  void setPageMark(int pageIndex, bool changed) override {
    pageList->SetPageMark(changed, pageIndex);
  }
  void setZoomSelection(int index) override { pageList->SetZoomSelection(index); }
  double viewScale() const override { return scale; }
  void setViewScale(double s) override { scale = s; }

  TempDir dir;
  appcore::MemorySettingsStore store;
  RecordingPrompter prompter;
  appcore::AppSettings app;
  FixedClock clock;
  std::unique_ptr<document::CScrivlaDoc> doc;
  std::unique_ptr<views::CPSelectView> pageList;
  std::unique_ptr<views::CDrawView> imageView;
  int edit = 3, display = 2;
  double scale = 0.5;
  int resets = 0, caretRestores = 0, focusRequests = 0;
  QString counter;
  std::vector<int> hints;
  struct Scroll {
    int which, x, y;
  };
  std::vector<Scroll> scrolls;
};

}  // namespace vellary::testing
