// vellary-textview-shots DOCUMENT OUTDIR [ZOOM%]: opens the document in the main window (settings
// in memory, every question answered with its default) and saves, for every page, the text view's
// page image in each display and colour mode, and a picture of the window in block and character
// editing.
#include <QApplication>
#include <QImage>
#include <cstdio>

#include "app/commands.h"
#include "app/fonts.h"
#include "app/main_frame.h"
#include "app/qt_prompter.h"
#include "textview/image_view.h"

using namespace vellary;

namespace {

void settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: vellary-textview-shots DOCUMENT OUTDIR [ZOOM%%]\n");
    return 2;
  }
  app::installFontSubstitutions();
  appcore::MemorySettingsStore store;
  store.setInt("Window", "width", 1400);
  store.setInt("Window", "height", 960);
  // Nobody answers on the virtual display: messages go to standard error, questions take their
  // default answer.
  qputenv("VELLARY_UNATTENDED", "1");
  app::MessageBoxPrompter prompter;
  appcore::AppSettings app;
  appcore::applyFontDefaults(app);
  appcore::FrameSettings frame;
  appcore::CharTable registered(appcore::CharTable::Kind::Registered);
  registered.pairs.push_back({u"港区", u"港区"});
  registered.pairs.push_back({u"東京", u"東京"});
  document::SteadyClock clock;
  const QString out = QString::fromLocal8Bit(argv[2]);
  app::CMainFrame window({app, frame, store, prompter, nullptr, clock,
                          out.toStdString() + "/_$backup.xml",
                          views::PreviewCache(out.toStdString() + "/previews"), &registered});
  window.show();
  window.applyStoredArrangement();
  if (!window.openFile(argv[1])) return 1;
  const int zoomPercent = argc > 3 ? std::atoi(argv[3]) : 50;
  window.commands().dispatch(app::IdZoom10 + std::clamp(zoomPercent / 10, 1, 10) - 1);
  settle();

  struct Display {
    const char* name;
    int command;
  };
  const Display displays[] = {{"layout", app::IdTextOnly},
                              {"line-image", app::IdLineImage},
                              {"image-beside", app::IdImageBeside},
                              {"flow-horizontal", app::IdForceHorizontal},
                              {"flow-vertical", app::IdForceVertical}};
  const char* colourNames[] = {"normal", "edit-line", "class", "registered"};
  auto save = [&](const QImage& image, const QString& name) {
    const QString path = out + "/" + name + ".png";
    if (!image.save(path)) return false;
    std::printf("%s\n", qPrintable(path));
    return true;
  };
  const int pages = static_cast<int>(window.doc().paper()->pages.size());
  for (int page = 0; page < pages; ++page) {
    window.doc().setCurrentPage(page);
    settle();
    for (const Display& d : displays) {
      window.commands().dispatch(d.command);
      for (int mode = 0; mode < 4; ++mode) {
        window.commands().dispatch(app::IdColourNormal + mode);
        settle();
        if (!save(window.textView().pageImage(),
                  QStringLiteral("p%1-%2-%3").arg(page + 1).arg(d.name).arg(colourNames[mode])))
          return 1;
      }
    }
    // A part at full size: the first text block's top right, where the columns begin.
    window.commands().dispatch(app::IdTextOnly);
    window.commands().dispatch(app::IdColourNormal);
    settle();
    if (const auto& layout = window.textView().layout(); !layout.lines.empty()) {
      const QImage& image = window.textView().pageImage();
      const auto& first = layout.lines[layout.lines.size() > 3 ? 3 : 0];
      const QRect part = QRect(first.box.right - 700, first.box.top - 40, 760, 560)
                             .intersected(image.rect());
      save(image.copy(part), QStringLiteral("p%1-part").arg(page + 1));
    }
    window.commands().dispatch(app::IdBlockEdit);
    settle();
    save(window.grab().toImage(), QStringLiteral("p%1-window-block-editing").arg(page + 1));
    window.commands().dispatch(app::IdCharEdit);
    settle();
    save(window.grab().toImage(), QStringLiteral("p%1-window-char-editing").arg(page + 1));
  }
  return 0;
}
