// vellary-shots DOCUMENT OUTDIR: opens the document in the main window (settings in memory, every
// question answered with its default), saves a picture of the window in each arrangement and of
// the menus and dialogs a user meets (popup_shots.h), and prints how long the start took.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>
#include <vector>

#include "app/commands.h"
#include "app/fonts.h"
#include "app/main_frame.h"
#include "app/qt_prompter.h"
#include "app/scrivla_app.h"
#include "model/program_files.h"
#include "popup_shots.h"

using namespace vellary;

namespace {

void settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Long enough for the window system to show what was drawn: the pictures come from the screen.
void settleOnScreen() {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);
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
  // As the editor starts: Japanese standard buttons and dialogs, the stored font names mapped to
  // installed faces.
  app::installQtTranslations();
  app::installFontSubstitutions();
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
  // The character tables a first start has: none registered, the shipped explanations.
  appcore::CharTable registered(appcore::CharTable::Kind::Registered);
  appcore::CharTable explanations(appcore::CharTable::Kind::Explanation);
  explanations.load(model::dataFile("CandidateExplain.txt"), prompter);
  app::CMainFrame window({app, frame, store, prompter, nullptr, clock,
                          out.toStdString() + "/_$backup.xml",
                          views::PreviewCache(out.toStdString() + "/previews"), &registered,
                          &explanations});
  window.show();
  window.applyStoredArrangement();
  if (!window.openFile(argv[1])) return 1;
  settle();
  std::printf("start to shown window with the document: %lld ms\n",
              static_cast<long long>(timer.elapsed()));

  struct Shot {
    const char* name;
    std::vector<int> commands;  // run in order before the picture
  };
  const Shot shots[] = {{"side-by-side", {}},
                        {"line-image", {app::IdLineImage}},
                        {"image-beside", {app::IdImageBeside}},
                        {"side-by-side-swapped", {app::IdTextOnly, app::IdSideBySide}},
                        {"stacked", {app::IdStacked}},
                        {"full-size", {app::IdFullSize}},
                        {"full-size-swapped", {app::IdFullSize}},
                        {"forced-vertical", {app::IdForceVertical}}};
  for (const Shot& s : shots) {
    for (int command : s.commands) window.commands().dispatch(command);
    settleOnScreen();
    // From the screen: the one-line image is a window of its own.
    if (!shots::grabScreen(window, out + "/" + s.name + ".png", false)) return 1;
  }
  return shots::takePopupShots(window, out) ? 0 : 1;
}
