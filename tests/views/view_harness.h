// A host for the page and image views without the main frame: a real document with its editing
// context whose change sets reach the views as in the frame, and the modes as plain fields.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "editing/editing_context.h"
#include "support/fake_document_seams.h"
#include "support/gui_harness.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

namespace vellary::testing {

class ViewHarness : public views::ViewHost {
 public:
  ViewHarness() {
    document::DocumentSetup s;
    s.prompter = &prompter;
    s.app = &app;
    s.settings = &store;
    s.clock = &clock;
    s.backupPath = dir / "_$backup.xml";
    doc = std::make_unique<document::CScrivlaDoc>(s);
    editContext = std::make_unique<editing::EditingContext>(*doc, prompter);
    pageList = std::make_unique<views::CPSelectView>(*this, views::PreviewCache(dir / "previews"));
    pageList->resize(220, 600);
    imageView = std::make_unique<views::CDrawView>(*this);
    imageView->resize(400, 300);
    doc->addObserver(pageList.get());
    doc->addObserver(imageView.get());
    doc->addObserver(&seen);
  }
  ~ViewHarness() override {
    doc->removeObserver(pageList.get());
    doc->removeObserver(imageView.get());
    doc->removeObserver(&seen);
  }

  bool open(const std::string& path) { return doc->open(path, false); }

  // views::ViewHost
  document::CScrivlaDoc* document() override { return doc.get(); }
  editing::EditingContext* editing() override { return editContext.get(); }
  appcore::EditMode editMode() const override { return edit; }
  appcore::TextDisplay textDisplay() const override { return display; }
  appcore::ImagePane imagePane() const override { return appcore::ImagePane::TextOnly; }
  void focusTextView() override { ++focusRequests; }
  const views::PackedPicture* pagePicture() const override { return imageView->fullPicture(); }
  void syncScroll(int which, int x, int y) override { scrolls.push_back({which, x, y}); }

  TempDir dir;
  appcore::MemorySettingsStore store;
  RecordingPrompter prompter;
  appcore::AppSettings app;
  FixedClock clock;
  RecordingObserver seen;
  std::unique_ptr<document::CScrivlaDoc> doc;
  std::unique_ptr<editing::EditingContext> editContext;
  std::unique_ptr<views::CPSelectView> pageList;
  std::unique_ptr<views::CDrawView> imageView;
  appcore::EditMode edit = appcore::EditMode::Character;
  appcore::TextDisplay display = appcore::TextDisplay::Layout;
  int focusRequests = 0;
  struct Scroll {
    int which, x, y;
  };
  std::vector<Scroll> scrolls;
};

}  // namespace vellary::testing
