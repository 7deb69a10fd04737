// What the editor's window tests share: the frame on in-memory settings with a scripted prompter
// and the real progress dialog, which lets window events through while files are read and pages
// re-composed, as in the editor; and copies of the bundled sample document in a private folder.
#pragma once

#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "app/main_frame.h"
#include "app/prog_show.h"
#include "editing/editing_context.h"
#include "recording_prompter.h"
#include "temp_dir.h"

namespace vellary::testing {

class FixedClock : public document::Clock {
 public:
  uint32_t tickCount() const override { return 0; }
};

// The sample's XML and its image folder (named like the document) copied into `dir`. `pageNumbers`
// replaces the three pages' numbers when given. Returns the XML's path.
inline std::string copySample(const TempDir& dir, const char* numbers[3] = nullptr) {
  namespace fs = std::filesystem;
  const std::string source = std::string(VELLARY_SOURCE_DIR) + "/samples/minato";
  fs::copy(source + "/minato", dir / "minato", fs::copy_options::recursive);
  std::string xml = TempDir::read(source + "/minato.xml");
  if (numbers != nullptr) {
    for (int i = 0; i < 3; ++i) {
      const std::string from = "<page number=\"" + std::to_string(i + 1) + "\"";
      const size_t at = xml.find(from);
      if (at != std::string::npos)
        xml.replace(at, from.size(), std::string("<page number=\"") + numbers[i] + "\"");
    }
  }
  return dir.write("minato.xml", xml);
}

struct FrameHarness {
  TempDir dir;
  appcore::MemorySettingsStore store;
  RecordingPrompter prompter;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  FixedClock clock;
  app::DialogProgress progress{nullptr};
  std::unique_ptr<app::CMainFrame> window;

  app::CMainFrame& make(int width = 1000, int height = 700) {
    window = std::make_unique<app::CMainFrame>(
        app::FrameContext{app, frame, store, prompter, &progress, clock, dir / "_$backup.xml",
                          views::PreviewCache(dir / "previews"), nullptr, nullptr, dir / "scans"});
    progress.dialog().setMainWindow(window.get());
    window->resize(width, height);
    window->show();
    (void)QTest::qWaitForWindowExposed(window.get());
    window->applyStoredArrangement();
    return *window;
  }

  // Puts the caret and selection where a command would, and tells the views.
  void setCaret(const editing::CaretState& state) {
    window->editingContext().state() = state;
    window->doc().notify(document::ChangeSet::of(document::Change::Caret));
  }
  ~FrameHarness() { window.reset(); }
};

}  // namespace vellary::testing
