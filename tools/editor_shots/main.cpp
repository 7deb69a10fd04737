// vellary-shots DOCUMENT OUTDIR: opens the document in the main window (settings in memory, every
// question answered with its default), saves a picture of the window in each arrangement and
// prints how long the start took.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>

#include "app/commands.h"
#include "app/main_frame.h"
#include "app/qt_prompter.h"

using namespace vellary;

namespace {

void settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer timer;
  timer.start();
  QApplication qt(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: vellary-shots DOCUMENT OUTDIR\n");
    return 2;
  }
  appcore::MemorySettingsStore store;
  store.setInt("Window", "width", 1280);
  store.setInt("Window", "height", 860);
  // Nobody answers on the virtual display: messages go to standard error, questions take their
  // default answer.
  qputenv("VELLARY_UNATTENDED", "1");
  app::MessageBoxPrompter prompter;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  document::SteadyClock clock;
  const QString out = QString::fromLocal8Bit(argv[2]);
  app::CMainFrame window({app, frame, store, prompter, nullptr, clock,
                          out.toStdString() + "/_$backup.xml",
                          views::PreviewCache(out.toStdString() + "/previews")});
  window.show();
  window.applyStoredArrangement();
  if (!window.openFile(argv[1])) return 1;
  settle();
  std::printf("start to shown window with the document: %lld ms\n",
              static_cast<long long>(timer.elapsed()));

  struct Shot {
    const char* name;
    int command;
  };
  const Shot shots[] = {{"side-by-side", 0},
                        {"side-by-side-swapped", app::IdSideBySide},
                        {"stacked", app::IdStacked},
                        {"full-size", app::IdFullSize},
                        {"full-size-swapped", app::IdFullSize},
                        {"forced-vertical", app::IdForceVertical}};
  for (const Shot& s : shots) {
    if (s.command != 0) window.commands().dispatch(s.command);
    settle();
    const QString path = out + "/" + s.name + ".png";
    if (!window.grab().save(path)) return 1;
    std::printf("%s\n", qPrintable(path));
  }
  return 0;
}
