// Block editing and side-line editing through the text view's widgets: the rubber band from real
// mouse events, the block menu's roles and order, the Delete key, the two ruby dialogs driven by
// their controls, emphasis marks, and the frame's wiring of block editing.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRubberBand>
#include <QScrollBar>
#include <QTest>

#include "app/commands.h"
#include "app/fonts.h"
#include "editing/block_edit.h"
#include "editing/ruby_edit.h"
#include "model/paper.h"
#include "rovorirud/reader.h"
#include "support/gui_harness.h"
#include "text_view_harness.h"
#include "textview/block_edit_controller.h"
#include "textview/ruby_dialogs.h"
#include "textview/structure_menu.h"

using namespace vellary;
using testing::makeBlock;
using testing::makeLine;
using testing::makePage;
using testing::TextViewHarness;

namespace {

// The text view of a harness with the structure context the frame would give it. Menus and
// dialogs do not run modally: `chooseAction` picks the action a menu returns, `driveDialog` works
// the dialog's controls and returns its result.
struct StructureHarness : TextViewHarness {
  StructureHarness() {
    context.view = view.get();
    context.host = this;
    context.frame = &frame;
    context.prompter = &prompter;
    context.runMenu = [this](QMenu& menu, const QPoint&) {
      shownMenus.push_back(describe(menu));
      return chooseAction ? chooseAction(menu) : nullptr;
    };
    context.runDialog = [this](QDialog& dialog) {
      ++dialogsShown;
      return driveDialog ? driveDialog(dialog) : int(QDialog::Rejected);
    };
    controller = new textview::BlockEditController(context);
  }

  // Opens the page with no block entry current, as block editing finds a page no caret has
  // visited yet.
  bool open(model::PageData page, double zoom = 1.0) {
    if (!TextViewHarness::open(std::move(page), zoom)) return false;
    editContext->resetCaret();
    return true;
  }

  // The menu as text: one line per action, indented by sub-menu, with "*" for a check mark and
  // "-" for a disabled item.
  static QString describe(const QMenu& menu, const QString& indent = {}) {
    QString s;
    for (QAction* a : menu.actions()) {
      if (a->isSeparator()) {
        s += indent + "----\n";
        continue;
      }
      s += indent + a->text() + (a->isChecked() ? "*" : "") + (a->isEnabled() ? "" : "-") + "\n";
      if (a->menu() != nullptr) s += describe(*a->menu(), indent + "  ");
    }
    return s;
  }

  // The action captioned `text` anywhere in the menu or its sub-menus.
  static QAction* find(const QMenu& menu, const QString& text) {
    for (QAction* a : menu.actions()) {
      if (a->text() == text) return a;
      if (a->menu() != nullptr)
        if (QAction* inner = find(*a->menu(), text)) return inner;
    }
    return nullptr;
  }

  // A page point as a viewport point.
  QPoint toViewport(int x, int y) const {
    const double z = doc->zoom();
    return QPoint(static_cast<int>(x * z), static_cast<int>(y * z)) - view->scrollPosition();
  }
  void leftClick(QPoint at) { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at); }
  // A right click: the press chooses the entry, the context-menu event opens the menu.
  void rightClick(QPoint at) {
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &e);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
  }
  model::PageBlockEntries& entries() { return doc->blockEntries().page(0); }
  // The document saved and read back: its first page.
  model::PageData reread() {
    const std::string path = dir / "saved.xml";
    if (!doc->saveTo(path)) return {};
    rovorirud::ReadResult r = rovorirud::readDocumentFile(path);
    if (!r.paper || r.paper->pages.empty()) return {};
    return std::move(r.paper->pages.front());
  }

  textview::StructureContext context;
  textview::BlockEditController* controller = nullptr;
  std::function<QAction*(QMenu&)> chooseAction;
  std::function<int(QDialog&)> driveDialog;
  std::vector<QString> shownMenus;
  int dialogsShown = 0;
};

model::BlockData& blockAt(model::PageData& page, int i) {
  return *std::next(page.blocks.begin(), i);
}
model::LineData& lineAt(model::BlockData& b, int i) { return *std::next(b.lines.begin(), i); }

std::u16string textOf(const model::LineData& line) {
  std::u16string s;
  for (const auto& c : line.chars) s += c.text[0];
  return s;
}
std::u16string textOf(const model::BlockData& block) {
  std::u16string s;
  for (const auto& l : block.lines)
    if (l.attr == model::AttrNone) s += textOf(l);
  return s;
}

// Horizontal text blocks one under another on a page of `height` pixels; block i holds the line
// "A" + i … at (40, top + 60 i), 300 × 40.
model::PageData stackedBlocks(int count, int height = 1000, int top = 40) {
  auto page = makePage(600, height);
  for (int i = 0; i < count; ++i) {
    const int y = top + 60 * i;
    auto block = makeBlock(40, y, 300, 40, false);
    block.lines.push_back(makeLine(
        40, y, 300, 40, std::u16string{static_cast<char16_t>(u'A' + i), u'b', u'c'}, false));
    model::computeBlockAverages(block);
    page.blocks.push_back(std::move(block));
  }
  return page;
}

// One horizontal block whose line "漢字です" has characters 40 pixels wide from (40, 60).
model::PageData kanjiLine() {
  auto page = makePage(600, 400);
  auto block = makeBlock(40, 40, 500, 120, false);
  block.lines.push_back(makeLine(40, 60, 160, 40, u"漢字です", false));
  model::computeBlockAverages(block);
  page.blocks.push_back(std::move(block));
  return page;
}

editing::CaretPos posAt(model::PageData& page, int block, int line, int ch) {
  model::BlockData& b = blockAt(page, block);
  model::LineData& l = lineAt(b, line);
  return editing::CaretPos{&b, nullptr, &l, std::next(l.chars.begin(), ch)};
}

// Text typed as the input method commits it.
void typeText(QLineEdit* edit, const QString& text) {
  QInputMethodEvent e;
  e.setCommitString(text);
  QApplication::sendEvent(edit, &e);
}

template <class W>
W* control(QDialog& d, int id) {
  return d.findChild<W*>(textview::controlName(id));
}

// The side lines of a page as text: attr, range, text and keys, so that a page read back from a
// file compares with the page in memory in one assertion.
std::string sideLines(const model::PageData& page) {
  std::string s;
  for (const auto& b : page.blocks)
    for (const auto& l : b.lines) {
      if (l.attr == model::AttrNone) continue;
      s += std::to_string(l.attr) + " " + std::to_string(l.rcs) + ".." + std::to_string(l.rce) +
           " [";
      for (const auto& c : l.chars)
        s += std::to_string(c.text[0]) + ":" + std::to_string(c.modRubyEmp) + " ";
      s += "] base [";
      if (l.baseLine != nullptr)
        for (const auto& c : l.baseLine->chars) s += std::to_string(c.modRubyEmp) + " ";
      s += "]\n";
    }
  return s;
}

}  // namespace

class StructureGuiTest : public QObject {
  Q_OBJECT

 private slots:
  void rubberBandFromTheMouseMergesTwoBlocks() {
    StructureHarness h;
    h.edit = appcore::EditMode::Block;
    // At half size on a page taller than the window, scrolled: the band's corners must be turned
    // into page pixels with both the scroll and the zoom.
    QVERIFY(h.open(stackedBlocks(3, 2400, 1000), 0.5));
    h.view->verticalScrollBar()->setValue(450);
    QCOMPARE(h.view->scrollPosition().y(), 450);
    QCOMPARE(h.entries().entries.size(), size_t{3});

    // Left of the first two blocks and above the first, to below the second.
    const QPoint from = h.toViewport(20, 990);
    const QPoint to = h.toViewport(360, 1130);
    QVERIFY(from.y() > 0 && from.y() < 100);
    QTest::mousePress(h.view->viewport(), Qt::LeftButton, {}, from);
    QVERIFY(h.controller->tracking());
    QTest::mouseMove(h.view->viewport(), to);
    QVERIFY(!h.controller->rubberBand()->isHidden());
    QCOMPARE(h.controller->rubberBand()->geometry(), QRect(from, to).normalized());
    QTest::mouseRelease(h.view->viewport(), Qt::LeftButton, {}, to);
    QVERIFY(!h.controller->tracking());
    QVERIFY(h.controller->rubberBand()->isHidden());

    model::PageData& page = h.page();
    QCOMPARE(page.blocks.size(), size_t{2});
    QVERIFY(textOf(blockAt(page, 0)).find(u"Abc") != std::u16string::npos);
    QVERIFY(textOf(blockAt(page, 0)).find(u"Bbc") != std::u16string::npos);
    QCOMPARE(textOf(blockAt(page, 1)), std::u16string(u"Cbc"));
    // The entries follow the blocks; the merged block's entry is selected, none is current.
    QCOMPARE(h.entries().entries.size(), size_t{2});
    QCOMPARE(h.entries().entries[0].selected, 1);
    QCOMPARE(h.view->caretState().entry, -1);
    QCOMPARE(h.doc->docModified(), 1);
    QCOMPARE(h.entries().changed, 1);
    const model::PageData back = h.reread();
    QCOMPARE(back.blocks.size(), size_t{2});

    // A band over nothing changes nothing.
    QTest::mousePress(h.view->viewport(), Qt::LeftButton, {}, h.toViewport(400, 1250));
    QTest::mouseRelease(h.view->viewport(), Qt::LeftButton, {}, h.toViewport(500, 1300));
    QCOMPARE(page.blocks.size(), size_t{2});
  }

  void clicksAreLeftAloneOutsideBlockEditing() {
    StructureHarness h;
    QVERIFY(h.open(stackedBlocks(2)));
    h.edit = appcore::EditMode::Character;
    h.leftClick(h.toViewport(100, 50));
    QCOMPARE(h.entries().entries[0].selected, 0);
    QTest::keyRelease(h.view.get(), Qt::Key_Delete);
    QCOMPARE(h.page().blocks.size(), size_t{2});

    // Block editing on a block that is not current yet.
    h.editContext->resetCaret();
    h.edit = appcore::EditMode::Block;
    h.leftClick(h.toViewport(100, 50));
    QCOMPARE(h.view->caretState().entry, 0);
    QCOMPARE(h.view->caretState().caret.block, &blockAt(h.page(), 0));
    QCOMPARE(h.entries().entries[0].selected, 1);
    // Another block takes the selection.
    h.leftClick(h.toViewport(100, 110));
    QCOMPARE(h.view->caretState().entry, 1);
    QCOMPARE(h.entries().entries[0].selected, 0);
  }

  void roleAndOrderFromTheBlockMenu() {
    StructureHarness h;
    h.edit = appcore::EditMode::Block;
    QVERIFY(h.open(stackedBlocks(12)));
    h.leftClick(h.toViewport(100, 50));
    QCOMPARE(h.view->caretState().entry, 0);

    h.chooseAction = [](QMenu& m) { return StructureHarness::find(m, "タイトル"); };
    h.rightClick(h.toViewport(100, 60));
    QCOMPARE(h.shownMenus.size(), size_t{1});
    const QString menu = h.shownMenus[0];
    // The role and direction carry their check marks; a text block has no number to move.
    QVERIFY2(menu.startsWith("属性変更\n  タイトル\n"), qPrintable(menu));
    QVERIFY(menu.contains("  通常*\n"));
    QVERIFY(menu.contains("  ----\n  縦書き\n  横書き*\n"));
    QVERIFY(menu.contains("\n最終番号に変更-\n削除\n----\n領域の順番変更(&O)\n"));
    // Twelve places: ten in the first column, two in the second; the current one checked.
    QVERIFY(menu.contains("  1 - 10\n    1*\n    2\n"));
    QVERIFY(menu.contains("    10\n  11 - 12\n    11\n    12\n"));

    QCOMPARE(blockAt(h.page(), 0).sec, model::SecTitle);
    QCOMPARE(h.entries().entries[0].sec, model::SecTitle);
    QCOMPARE(blockAt(h.page(), 1).sec, model::SecText);
    QCOMPARE(h.doc->docModified(), 1);

    // The title block moves to the eleventh place, with its entry.
    h.chooseAction = [](QMenu& m) { return StructureHarness::find(m, "11"); };
    h.rightClick(h.toViewport(100, 60));
    QVERIFY(h.shownMenus[1].contains("  タイトル*\n"));
    QCOMPARE(h.view->caretState().entry, 10);
    QCOMPARE(textOf(blockAt(h.page(), 10)), std::u16string(u"Abc"));
    QCOMPARE(textOf(blockAt(h.page(), 0)), std::u16string(u"Bbc"));
    QCOMPARE(h.entries().entries[10].sec, model::SecTitle);

    const model::PageData back = h.reread();
    QCOMPARE(back.blocks.size(), size_t{12});
    model::PageData copy = back;
    QCOMPARE(textOf(blockAt(copy, 10)), std::u16string(u"Abc"));
    QCOMPARE(blockAt(copy, 10).sec, model::SecTitle);
    QCOMPARE(blockAt(copy, 0).sec, model::SecText);

    // Outside the current entry the page menu applies; none is connected here.
    h.rightClick(h.toViewport(500, 900));
    QCOMPARE(h.shownMenus.size(), size_t{2});
    int pageMenus = 0;
    h.controller->pageMenuItems = [&](QMenu& m) {
      ++pageMenus;
      m.addAction("次のページへ");
    };
    h.chooseAction = nullptr;
    h.rightClick(h.toViewport(500, 900));
    QCOMPARE(pageMenus, 1);
    QCOMPARE(h.shownMenus.back(), QString("次のページへ\n"));
  }

  void deleteKeyRemovesTheSelectedBlockOnRelease() {
    StructureHarness h;
    h.edit = appcore::EditMode::Block;
    QVERIFY(h.open(stackedBlocks(3)));
    h.leftClick(h.toViewport(100, 110));
    QTest::keyPress(h.view.get(), Qt::Key_Delete);
    QCOMPARE(h.page().blocks.size(), size_t{3});  // nothing until the key comes up
    QTest::keyRelease(h.view.get(), Qt::Key_Delete);
    QCOMPARE(h.page().blocks.size(), size_t{2});
    QCOMPARE(textOf(blockAt(h.page(), 1)), std::u16string(u"Cbc"));
    QCOMPARE(h.view->caretState().entry, -1);
    QVERIFY(h.view->caretState().caret.block == nullptr);
    QCOMPARE(h.doc->history().nextUndo()->kind, int(document::UndoBlockDelete));
    QVERIFY(h.editContext->undo());
    QCOMPARE(h.page().blocks.size(), size_t{3});
  }

  void rubyThroughTheSettingDialog() {
    StructureHarness h;
    QVERIFY(h.open(kanjiLine()));
    editing::CaretState s;
    s.caret = posAt(h.page(), 0, 0, 0);
    s.selection.anchor = posAt(h.page(), 0, 0, 0);
    s.selection.active = posAt(h.page(), 0, 0, 2);
    h.setCaret(s);

    QMenu menu;
    QVERIFY(textview::addSelectionItems(menu, h.context) > 0);
    QAction* set = StructureHarness::find(menu, "ルビ設定...(&S)");
    QVERIFY(set != nullptr);
    QVERIFY(StructureHarness::find(menu, "圏点設定(&K)") != nullptr);
    QVERIFY(StructureHarness::find(menu, "縦中横(&T)") == nullptr);  // a horizontal block

    bool okAtStart = true;
    h.driveDialog = [&](QDialog& d) {
      [&] {
        QCOMPARE(d.windowTitle(), QString("ルビ設定"));
        QCOMPARE(control<QLineEdit>(d, 1048)->text(), QString("漢字"));
        QVERIFY(control<QLineEdit>(d, 1048)->isReadOnly());
        okAtStart = control<QPushButton>(d, 1)->isEnabled();
        typeText(control<QLineEdit>(d, 1047), "かんじ");
        QVERIFY(control<QPushButton>(d, 1)->isEnabled());
        control<QPushButton>(d, 1)->click();
      }();
      return d.result();
    };
    set->trigger();
    QCOMPARE(h.dialogsShown, 1);
    QVERIFY(!okAtStart);

    model::BlockData& block = blockAt(h.page(), 0);
    QCOMPARE(block.lines.size(), size_t{2});
    const model::LineData& ruby = lineAt(block, 0);
    QCOMPARE(ruby.attr, int16_t(model::AttrRuby));
    QCOMPARE(textOf(ruby), std::u16string(u"かんじ"));
    QCOMPARE(ruby.rcs, 1);
    QCOMPARE(ruby.rce, 2);
    QCOMPARE(ruby.baseLine, &lineAt(block, 1));
    const int32_t key = ruby.chars.front().modRubyEmp;
    QVERIFY(key > 0);
    QCOMPARE(lineAt(block, 1).chars.front().modRubyEmp, -key);
    QCOMPARE(std::next(lineAt(block, 1).chars.begin())->modRubyEmp, -key);
    QCOMPARE(std::next(lineAt(block, 1).chars.begin(), 2)->modRubyEmp, 0);
    QCOMPARE(h.doc->history().nextUndo()->kind, int(document::UndoRuby));
    // The view holds the caret the edit left, on the base line.
    QCOMPARE(h.view->caretState().caret.line, &lineAt(block, 1));
    QCOMPARE(sideLines(h.reread()), sideLines(h.page()));

    // Cancelling the dialog adds nothing.
    h.setCaret(editing::CaretState{});
    s.caret = posAt(h.page(), 0, 1, 3);
    s.selection.anchor = posAt(h.page(), 0, 1, 2);
    s.selection.active = posAt(h.page(), 0, 1, 4);
    h.setCaret(s);
    h.driveDialog = [](QDialog& d) {
      typeText(control<QLineEdit>(d, 1047), "です");
      control<QPushButton>(d, 2)->click();
      return d.result();
    };
    QVERIFY(!textview::runSideLineCommand(h.context, editing::CmdRubySet));
    QCOMPARE(block.lines.size(), size_t{2});
  }

  void rubyModifiedThroughItsDialog() {
    StructureHarness h;
    QVERIFY(h.open(kanjiLine()));
    {
      editing::CaretState s;
      s.selection.anchor = s.caret = posAt(h.page(), 0, 0, 0);
      s.selection.active = posAt(h.page(), 0, 0, 2);
      h.setCaret(s);
      editing::EditScope scope(*h.editContext);
      editing::addRuby(scope, u"かんじ");
    }
    model::BlockData& block = blockAt(h.page(), 0);
    model::LineData& base = lineAt(block, 1);
    const editing::CaretPos onKan = posAt(h.page(), 0, 1, 0);
    editing::CaretState s;
    s.caret = onKan;
    h.setCaret(s);

    // The caret character's own items: a ruby base offers modifying and deleting its ruby.
    QMenu menu;
    textview::addSelectionItems(menu, h.context);
    QCOMPARE(StructureHarness::describe(menu), QString("----\nルビ修正(&M)...\nルビ削除(&D)\n"));

    // The range grows by one and Cancel takes it back.
    h.driveDialog = [&](QDialog& d) {
      [&] {
        QCOMPARE(d.windowTitle(), QString("ルビ修正"));
        QVERIFY(!control<QPushButton>(d, 1)->isEnabled());
        control<QPushButton>(d, 1044)->click();
        QCOMPARE(control<QLineEdit>(d, 1048)->text(), QString("漢字で"));
        QCOMPARE(lineAt(block, 0).rce, 3);
        QVERIFY(control<QPushButton>(d, 1)->isEnabled());
        control<QPushButton>(d, 2)->click();
      }();
      return d.result();
    };
    StructureHarness::find(menu, "ルビ修正(&M)...")->trigger();
    QCOMPARE(h.dialogsShown, 1);
    QCOMPARE(lineAt(block, 0).rce, 2);
    QVERIFY(h.view->caretState().caret == onKan);
    QVERIFY(h.prompter.shown.empty());

    // A split mark at the start is refused; in the middle it cuts the ruby, and a click in the
    // base text says where the base is cut.
    h.driveDialog = [&](QDialog& d) {
      [&] {
        QLineEdit* ruby = control<QLineEdit>(d, 1047);
        QCOMPARE(ruby->text(), QString("かんじ"));
        ruby->setCursorPosition(0);
        control<QPushButton>(d, 1046)->click();
        QCOMPARE(h.prompter.shown.size(), size_t{1});
        QCOMPARE(h.prompter.shown[0].text,
                 std::string("文字列の最初または最後を分割位置に指定できません"));
        QCOMPARE(ruby->text(), QString("かんじ"));
        QVERIFY(!control<QPushButton>(d, 1054)->isEnabled());

        ruby->setCursorPosition(2);
        control<QPushButton>(d, 1046)->click();
        QCOMPARE(ruby->text(), QString("かん*じ"));
        QVERIFY(!ruby->isEnabled());
        QVERIFY(!control<QPushButton>(d, 1046)->isEnabled());
        QVERIFY(control<QPushButton>(d, 1054)->isEnabled());
        QVERIFY(!control<QPushButton>(d, 1)->isEnabled());
        QCOMPARE(control<QLabel>(d, 1051)->text(), QString("本文の分割位置をクリックしてください"));

        control<QLineEdit>(d, 1048)->setCursorPosition(1);
        control<QPushButton>(d, 1054)->click();
        QCOMPARE(ruby->text(), QString("かん"));
        QCOMPARE(control<QLineEdit>(d, 1052)->text(), QString("じ"));
        QCOMPARE(control<QLineEdit>(d, 1048)->text(), QString("漢"));
        QCOMPARE(control<QLineEdit>(d, 1053)->text(), QString("字"));
        QVERIFY(!control<QPushButton>(d, 1044)->isEnabled());
        QVERIFY(control<QPushButton>(d, 1)->isEnabled());
        control<QPushButton>(d, 1)->click();
      }();
      return d.result();
    };
    QVERIFY(textview::runSideLineCommand(h.context, editing::CmdRubyModify));
    QCOMPARE(block.lines.size(), size_t{3});
    QCOMPARE(textOf(lineAt(block, 0)), std::u16string(u"かん"));
    QCOMPARE(textOf(lineAt(block, 1)), std::u16string(u"じ"));
    QCOMPARE(lineAt(block, 0).rce, 1);
    QCOMPARE(lineAt(block, 1).rcs, 2);
    QCOMPARE(lineAt(block, 1).rce, 2);
    QVERIFY(base.chars.front().modRubyEmp != std::next(base.chars.begin())->modRubyEmp);
    QVERIFY(h.view->caretState().caret == onKan);
    QCOMPARE(sideLines(h.reread()), sideLines(h.page()));
  }

  void emphasisMarksOnThreeCharacters() {
    StructureHarness h;
    h.frame.emphasisChar = "・";
    QVERIFY(h.open(kanjiLine()));
    editing::CaretState s;
    s.selection.anchor = s.caret = posAt(h.page(), 0, 0, 1);
    s.selection.active = posAt(h.page(), 0, 0, 4);
    h.setCaret(s);
    QMenu menu;
    textview::addSelectionItems(menu, h.context);
    QAction* set = StructureHarness::find(menu, "圏点設定(&K)");
    QVERIFY(set != nullptr);
    set->trigger();

    model::BlockData& block = blockAt(h.page(), 0);
    QCOMPARE(block.lines.size(), size_t{4});
    std::vector<int32_t> keys;
    for (int i = 0; i < 3; ++i) {
      const model::LineData& l = lineAt(block, i);
      QCOMPARE(l.attr, int16_t(model::AttrEmph));
      QCOMPARE(textOf(l), std::u16string(u"・"));
      keys.push_back(l.chars.front().modRubyEmp);
    }
    std::sort(keys.begin(), keys.end());
    QVERIFY(keys[0] >= model::kEmphasisKeyBase && keys[0] < model::kCommaEmphasisKeyBase);
    QCOMPARE(keys[1], keys[0] + 1);
    QCOMPARE(keys[2], keys[0] + 2);
    QCOMPARE(lineAt(block, 3).chars.front().modRubyEmp, 0);
    QCOMPARE(h.doc->history().nextUndo()->kind, int(document::UndoEmphasis));
    QCOMPARE(sideLines(h.reread()), sideLines(h.page()));

    // The same selection now carries marks: they can be deleted from the menu.
    QMenu again;
    textview::addSelectionItems(again, h.context);
    QAction* remove = StructureHarness::find(again, "圏点削除(&P)");
    QVERIFY(remove != nullptr);
    remove->trigger();
    QCOMPARE(block.lines.size(), size_t{1});
  }

  void tateChuYokoAndBackFromTheMenu() {
    StructureHarness h;
    auto page = makePage(600, 600);
    auto block = makeBlock(300, 40, 100, 500, true);
    block.lines.push_back(makeLine(330, 40, 40, 200, u"年123", true));
    model::computeBlockAverages(block);
    page.blocks.push_back(std::move(block));
    QVERIFY(h.open(page));
    editing::CaretState s;
    s.selection.anchor = s.caret = posAt(h.page(), 0, 0, 1);
    s.selection.active = posAt(h.page(), 0, 0, 4);
    h.setCaret(s);
    QMenu menu;
    textview::addSelectionItems(menu, h.context);
    QAction* upright = StructureHarness::find(menu, "縦中横(&T)");
    QVERIFY(upright != nullptr);
    upright->trigger();
    model::LineData& line = lineAt(blockAt(h.page(), 0), 0);
    std::vector<int32_t> codes;
    for (const auto& c : line.chars) codes.push_back(c.modRotTcy);
    QCOMPARE(codes, (std::vector<int32_t>{0, model::kTateChuYoko, model::kTateChuYoko,
                                          model::kTateChuYoko}));
    QCOMPARE(h.doc->history().nextUndo()->kind, int(document::UndoOrientation));
    std::vector<int32_t> written;
    const model::PageData back = h.reread();
    QVERIFY(!back.blocks.empty());
    for (const auto& c : back.blocks.front().lines.front().chars) written.push_back(c.modRotTcy);
    QCOMPARE(written, codes);

    // The caret on one character of the group offers its reset, which takes the whole group.
    editing::CaretState onTwo;
    onTwo.caret = posAt(h.page(), 0, 0, 2);
    h.setCaret(onTwo);
    QMenu caretMenu;
    textview::addSelectionItems(caretMenu, h.context);
    QCOMPARE(StructureHarness::describe(caretMenu), QString("通常文字(&N)\n"));
    caretMenu.actions().front()->trigger();
    for (const auto& c : line.chars) QCOMPARE(c.modRotTcy, 0);
  }

  void theFrameInstallsBlockEditing() {
    testing::FrameHarness h;
    auto& f = h.make();
    QVERIFY(f.openFile(testing::copySample(h.dir)));
    QVERIFY(f.textView().findChild<textview::BlockEditController*>("blockEditing") != nullptr);
    QVERIFY(f.commands().dispatch(app::IdBlockEdit));
    auto& entries = f.doc().blockEntries().page(static_cast<size_t>(f.doc().currentPage()));
    QVERIFY(entries.entries.size() > 1);
    const model::BlockEntry& e = entries.entries[1];
    const double z = f.doc().zoom();
    auto& tv = f.textView();
    tv.horizontalScrollBar()->setValue(static_cast<int>(e.x * z) - 20);
    tv.verticalScrollBar()->setValue(static_cast<int>(e.y * z) - 20);
    const QPoint at = QPoint(static_cast<int>((e.x + e.width / 2) * z),
                             static_cast<int>((e.y + e.height / 2) * z)) -
                      tv.scrollPosition();
    QTest::mouseClick(tv.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(tv.caretState().entry, 1);
    QCOMPARE(entries.entries[1].selected, 1);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app::installFontSubstitutions();
  StructureGuiTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "structure_gui_test.moc"
