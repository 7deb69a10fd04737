// The main frame on documents built in memory, for the correcting commands: the character
// tables the frame is given, the menus the text view shows (recorded, and an item chosen by its
// text instead of waiting for a click), the caret placed on a character, and right clicks.
#pragma once

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "../editing/layout_pages.h"
#include "editing/find_replace_page.h"
#include "model/paper.h"
#include "rovorirud/writer.h"
#include "support/gui_harness.h"
#include "textview/block_edit_controller.h"
#include "textview/correction_view.h"
#include "textview/image_view.h"
#include "textview/page_painter.h"

namespace vellary::testing {

// A page of one horizontal text block per list of lines, the blocks one under the other at
// `blockGap` page pixels.
inline model::PageData textPage(
    std::initializer_list<std::initializer_list<std::u16string_view>> blocks, int blockGap = 200,
    int height = 0) {
  auto page = makePage(800, height > 0 ? height : 100 + blockGap * static_cast<int>(blocks.size()));
  int y = 40;
  for (const auto& lines : blocks) {
    auto block = makeBlock(40, y, 700, 40 * static_cast<int>(lines.size()), false);
    int ly = y;
    for (std::u16string_view text : lines) {
      block.lines.push_back(makeLine(40, ly, 40 * static_cast<int>(text.size()), 36, text, false));
      block.charCount += static_cast<int>(text.size());
      ly += 40;
    }
    model::computeBlockAverages(block);
    page.blocks.push_back(std::move(block));
    y += blockGap;
  }
  return page;
}

inline model::CharData& charOf(model::LineData& line, int i) {
  return *std::next(line.chars.begin(), i);
}

struct CorrectionHarness {
  // One item of a menu as it was shown.
  struct Item {
    int id = 0;  // 0: a separator
    QString text;
    bool checked = false;
    bool enabled = true;
  };

  TempDir dir;
  appcore::MemorySettingsStore store;
  RecordingPrompter prompter;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  FixedClock clock;
  appcore::CharTable registered{appcore::CharTable::Kind::Registered};
  appcore::CharTable explanations{appcore::CharTable::Kind::Explanation};
  app::DialogProgress progress{nullptr};
  std::unique_ptr<app::CMainFrame> window;
  // Every menu shown, and the text of the item to choose in the next one (empty: none).
  std::vector<std::vector<Item>> menus;
  int dialogsRefused = 0;
  QString choose;

  // The frame with `pages` opened as one document, in character editing.
  app::CMainFrame& open(std::vector<model::PageData> pages) {
    window = std::make_unique<app::CMainFrame>(
        app::FrameContext{app, frame, store, prompter, &progress, clock, dir / "_$backup.xml",
                          views::PreviewCache(dir / "previews"), &registered, &explanations});
    progress.dialog().setMainWindow(window.get());
    window->resize(1000, 700);
    window->show();
    (void)QTest::qWaitForWindowExposed(window.get());
    window->applyStoredArrangement();
    // The pages are shown as built: re-composition would join and move their lines.
    window->doc().reComposeAfterLoad = nullptr;
    model::PaperData paper;
    paper.encoding = 1;
    int number = 1;
    for (auto& p : pages) {
      p.number = number++;
      paper.pages.push_back(std::move(p));
    }
    const std::string path = dir / "doc.xml";
    if (rovorirud::writeDocumentFile(paper, path) != 0) qFatal("document not written");
    if (!window->openFile(path)) qFatal("document not opened");
    window->correction().popupMenu = [this](QMenu& menu, const QPoint&) { shown(menu); };
    // Block editing's menus, and the ruby dialogs the character menu's items open, are answered
    // here too.
    auto* blocks = view().findChild<textview::BlockEditController*>("blockEditing");
    if (blocks == nullptr) qFatal("no block editing on the text view");
    blocks->context().runMenu = [this](QMenu& menu, const QPoint&) -> QAction* {
      shown(menu);
      return nullptr;
    };
    blocks->context().runDialog = [this](QDialog&) {
      ++dialogsRefused;
      return static_cast<int>(QDialog::Rejected);
    };
    prompter.shown.clear();
    return *window;
  }

  textview::CImageView& view() { return window->textView(); }
  textview::CCorrectionView& correction() { return window->correction(); }
  app::CommandTable& commands() { return window->commands(); }
  model::PageData& page() { return *window->doc().page(window->doc().currentPage()); }
  model::BlockData& block(int b) { return *std::next(page().blocks.begin(), b); }
  model::LineData& line(int b, int l) { return *std::next(block(b).lines.begin(), l); }
  model::CharData& ch(int b, int l, int c) { return charOf(line(b, l), c); }
  std::u16string lineText(int b, int l) {
    std::u16string s;
    for (const auto& c : line(b, l).chars)
      s += std::u16string(c.text.data(), model::charTextLength(c.text));
    return s;
  }
  std::u16string pageText() { return editing::PageWalk(page()).text(); }

  editing::CaretPos pos(int b, int l, int c) {
    model::LineData& ln = line(b, l);
    return editing::CaretPos{&block(b), nullptr, &ln, std::next(ln.chars.begin(), c)};
  }
  // The caret before character c of line l of block b, with block entry b current (what a
  // click there leaves), and a selection up to character `selectTo` of line `selectLine` when
  // given.
  void caretAt(int b, int l, int c, int selectLine = -1, int selectTo = -1) {
    editing::CaretState s;
    s.entry = b;
    s.caret = pos(b, l, c);
    s.selection.collapseTo(s.caret);
    if (selectTo >= 0) s.selection.active = pos(b, selectLine, selectTo);
    window->editingContext().state() = s;
    window->doc().notify(document::ChangeSet::of(document::Change::Caret));
  }
  const editing::CaretState& caret() { return view().caretState(); }
  // The selected text of the view's caret within one line (empty when none).
  std::u16string selected() {
    const auto text = editing::selectionLineText(caret().selection);
    return text ? *text : std::u16string();
  }

  // The viewport point at the middle of character c of line l of block b.
  QPoint pointOf(int b, int l, int c) {
    const editing::LinePlace* place = view().layout().find(&line(b, l));
    if (place == nullptr) qFatal("line not laid out");
    return textview::toQRect(editing::charBox(*place, c)).center() - view().scrollPosition();
  }
  // A right click's menu request at a viewport point.
  void rightClick(const QPoint& at) {
    QWidget* vp = view().viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, vp->mapToGlobal(at));
    QApplication::sendEvent(vp, &event);
  }
  const std::vector<Item>& lastMenu() const { return menus.back(); }
  QStringList lastMenuTexts() const {
    QStringList out;
    for (const Item& i : menus.back()) out << (i.id == 0 ? QStringLiteral("-") : i.text);
    return out;
  }
  std::vector<std::string> shownTexts() const {
    std::vector<std::string> out;
    for (const auto& s : prompter.shown) out.push_back(s.text);
    return out;
  }

 private:
  void shown(QMenu& menu) {
    std::vector<Item> items;
    QAction* chosen = nullptr;
    for (QAction* a : menu.actions()) {
      items.push_back(Item{a->isSeparator() ? 0 : a->data().toInt(), a->text(), a->isChecked(),
                           a->isEnabled()});
      if (!a->isSeparator() && !choose.isEmpty() && a->text() == choose) chosen = a;
    }
    menus.push_back(std::move(items));
    choose.clear();
    if (chosen != nullptr && chosen->isEnabled()) chosen->trigger();
  }
};

}  // namespace vellary::testing
