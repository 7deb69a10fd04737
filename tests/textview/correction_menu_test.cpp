// The character menu of character editing (candidates with explanations, the current reading
// checked, the replacement item, no menu across lines, the page menu elsewhere) and dialog 140.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "correction_harness.h"
#include "textview/char_replace_dialog.h"
#include "textview/character_menu.h"
#include "views/pselect_view.h"

using namespace vellary;
using testing::CorrectionHarness;
using testing::textPage;
using Item = CorrectionHarness::Item;

namespace {

void setCandidates(model::CharData& c, std::initializer_list<std::u16string_view> texts) {
  c.resetCandidates(static_cast<int16_t>(texts.size()));
  int i = 0;
  for (std::u16string_view t : texts) {
    c.candText(i) = editing::splitCharacters(t).front();
    c.candCC(i++) = 5;
  }
}

// Page 1: "犬大太" whose first character has candidates, and "次行" under it in the same block;
// a second block "別" far below. Page 2: "終".
std::vector<model::PageData> candidatePages() {
  auto first = textPage({{u"犬大太", u"次行"}, {u"別"}}, 400);
  auto& line = first.blocks.front().lines.front();
  setCandidates(testing::charOf(line, 0), {u"大", u"犬", u"A", u"&"});
  return {std::move(first), textPage({{u"終"}})};
}

// Runs `act` on dialog 140 once the next step has opened it; `act` must close it.
void whenReplaceDialogOpens(std::function<void(textview::CCharReplaceDlg&)> act) {
  QTimer::singleShot(0, [act] {
    if (auto* d = qobject_cast<textview::CCharReplaceDlg*>(QApplication::activeModalWidget()))
      act(*d);
  });
}

}  // namespace

class CorrectionMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void choosingACandidateChangesTheCharacterAndUndoRestoresIt() {
    CorrectionHarness h;
    h.explanations.pairs = {{u"大", u"ダイ、おおきい"}, {u"A", u"英大文字"}};
    h.open(candidatePages());
    h.caretAt(0, 0, 0);
    const QRect cell =
        textview::toQRect(editing::charBox(*h.view().layout().find(&h.line(0, 0)), 0));
    const QImage before = h.view().pageImage().copy(cell);
    h.choose = QStringLiteral("大\u3000ダイ、おおきい");
    h.rightClick(h.pointOf(0, 0, 0));
    QCOMPARE(h.menus.size(), size_t{1});
    QCOMPARE(h.lastMenuTexts(),
             (QStringList{QStringLiteral("大\u3000ダイ、おおきい"), QStringLiteral("犬"),
                          QStringLiteral("A \u3000英大文字"), QStringLiteral("&&"),
                          QStringLiteral("-"), QStringLiteral("置換(&R)...")}));
    // The current reading carries the check mark, and only it.
    const auto& items = h.lastMenu();
    for (size_t i = 0; i < items.size(); ++i) QCOMPARE(items[i].checked, i == 1);
    QCOMPARE(items[0].id, 34001);
    QCOMPARE(items.back().id, 34000);

    QCOMPARE(h.lineText(0, 0), std::u16string(u"大大太"));
    QCOMPARE(h.ch(0, 0, 0).cc, uint16_t{10});
    QCOMPARE(h.ch(0, 0, 0).changed, int8_t{1});
    QCOMPARE(h.window->pageList().markText(0), QStringLiteral("*"));
    // The view draws the new text.
    QVERIFY(h.view().pageImage().copy(cell) != before);
    QVERIFY(h.window->commands().isEnabled(app::IdUndo));
    QVERIFY(h.commands().dispatch(app::IdUndo));
    QCOMPARE(h.lineText(0, 0), std::u16string(u"犬大太"));
  }

  // The whole right click as the user makes it: the press moves the caret to the character
  // under the pointer (the view's editor), then the menu offers that character's candidates.
  void aRealRightClickMovesTheCaretAndOffersThatCharactersCandidates() {
    CorrectionHarness h;
    h.open(candidatePages());
    h.caretAt(0, 1, 1);
    // The caret goes before the first cell whose middle lies beyond the point: the character's
    // leading half.
    const QPoint at = h.pointOf(0, 0, 0) - QPoint(3, 0);
    QTest::mousePress(h.view().viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(h.view().viewport(), Qt::RightButton, {}, at);
    h.choose = QStringLiteral("大");
    h.rightClick(at);
    QCOMPARE(h.menus.size(), size_t{1});
    QCOMPARE(h.lastMenu().front().id, 34001);
    QCOMPARE(h.lineText(0, 0), std::u16string(u"大大太"));
    QCOMPARE(h.lineText(0, 1), std::u16string(u"次行"));

    // The trailing half of a character is still that character: the menu offers its
    // candidates, not those of the one after it.
    QVERIFY(h.commands().dispatch(app::IdUndo));
    QCOMPARE(h.lineText(0, 0), std::u16string(u"犬大太"));
    h.caretAt(0, 1, 1);
    const QRect first =
        textview::toQRect(editing::charBox(*h.view().layout().find(&h.line(0, 0)), 0));
    const QPoint trailing =
        QPoint(first.right() - 2, first.center().y()) - h.view().scrollPosition();
    QTest::mousePress(h.view().viewport(), Qt::RightButton, {}, trailing);
    QTest::mouseRelease(h.view().viewport(), Qt::RightButton, {}, trailing);
    h.choose = QStringLiteral("A");
    h.rightClick(trailing);
    QCOMPARE(h.menus.size(), size_t{2});
    QCOMPARE(h.lastMenu().front().text, QStringLiteral("大"));
    QCOMPARE(h.lineText(0, 0), std::u16string(u"A大太"));
  }

  void selectionsDecideTheReplacementItemAndWhetherAMenuIsShown() {
    CorrectionHarness h;
    h.open(candidatePages());
    // Within one line: no "置換(&R)...".
    h.caretAt(0, 0, 0, 0, 2);
    h.rightClick(h.pointOf(0, 0, 1));
    QCOMPARE(h.menus.size(), size_t{1});
    QVERIFY(!h.lastMenuTexts().contains(QStringLiteral("置換(&R)...")));
    // The ruby, emphasis and orientation items follow the separator.
    const QStringList texts = h.lastMenuTexts();
    QVERIFY(texts.indexOf(QStringLiteral("-")) >= 0);
    QVERIFY(texts.indexOf(QStringLiteral("ルビ設定...(&S)")) > texts.indexOf(QStringLiteral("-")));
    QCOMPARE(texts.last(), QStringLiteral("圏点設定(&K)"));
    // Across two lines: no menu at all.
    h.caretAt(0, 0, 1, 1, 1);
    h.rightClick(h.pointOf(0, 0, 1));
    QCOMPARE(h.menus.size(), size_t{1});
    // A character without candidates: the separator and the replacement only; the menu key
    // asks for the same menu as a click on the caret character.
    h.caretAt(0, 0, 2);
    h.rightClick(h.pointOf(0, 0, 2));
    QCOMPARE(h.lastMenuTexts(), (QStringList{QStringLiteral("-"), QStringLiteral("置換(&R)...")}));
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1),
                          h.view().mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(&h.view(), &key);
    QCOMPARE(h.menus.size(), size_t{3});
    QCOMPARE(h.lastMenuTexts(), (QStringList{QStringLiteral("-"), QStringLiteral("置換(&R)...")}));
  }

  void theCaretCharactersOwnItemsReachTheirHandler() {
    CorrectionHarness h;
    auto pages = candidatePages();
    testing::charOf(pages[0].blocks.front().lines.front(), 1).modRubyEmp = 21000;
    h.open(std::move(pages));
    h.caretAt(0, 0, 1);
    h.rightClick(h.pointOf(0, 0, 1));
    QCOMPARE(h.lastMenu().back().text, QStringLiteral("圏点削除(&P)"));
    QVERIFY(h.lastMenu().back().enabled);
    int ran = 0;
    h.correction().runCharacterItem = [&ran](int id) { ran = id; };
    h.choose = QStringLiteral("圏点削除(&P)");
    h.rightClick(h.pointOf(0, 0, 1));
    QCOMPARE(ran, 36007);
  }

  void outsideTheCurrentEntryThePageMenuTurnsPages() {
    CorrectionHarness h;
    auto& frame = h.open(candidatePages());
    h.caretAt(0, 0, 0);
    // The second block is not the current entry.
    h.choose = QStringLiteral("次のページへ");
    h.rightClick(h.pointOf(1, 0, 0));
    QCOMPARE(h.lastMenuTexts(),
             (QStringList{QStringLiteral("次のページへ"), QStringLiteral("前のページへ")}));
    QVERIFY(h.lastMenu()[0].enabled);
    QVERIFY(!h.lastMenu()[1].enabled);
    QCOMPARE(frame.doc().currentPage(), 1);
    // On the last page, without a caret: only the way back.
    h.rightClick(QPoint(5, 5));
    QVERIFY(!h.lastMenu()[0].enabled);
    QVERIFY(h.lastMenu()[1].enabled);
  }

  void theTextFlowDisplayTellsLinesOfTheCurrentEntryFromOthers() {
    CorrectionHarness h;
    h.open(candidatePages());
    QVERIFY(h.commands().dispatch(app::IdForceHorizontal));
    h.caretAt(0, 0, 0);
    h.rightClick(h.pointOf(0, 1, 0));
    QCOMPARE(h.lastMenu().back().text, QStringLiteral("置換(&R)..."));
    h.rightClick(h.pointOf(1, 0, 0));
    QCOMPARE(h.lastMenu().front().text, QStringLiteral("次のページへ"));
  }

  void blockEditingLeavesTheRightClickToOthers() {
    CorrectionHarness h;
    h.open(candidatePages());
    // The Edit menu's ruby modification needs a ruby under the caret, in character editing.
    h.caretAt(0, 0, 0);
    QVERIFY(!h.window->commands().isEnabled(app::IdRubyModify));
    QVERIFY(h.commands().dispatch(app::IdBlockEdit));
    h.caretAt(0, 0, 0);
    h.rightClick(h.pointOf(0, 0, 0));
    // The block menu, not the character menu: no candidate and no character replacement.
    QCOMPARE(h.menus.size(), size_t{1});
    QVERIFY(!h.lastMenuTexts().contains(QStringLiteral("置換(&R)...")));
    QVERIFY(h.lastMenuTexts().contains(QStringLiteral("削除")));
  }

  void replaceDialogStartsAsTheDesignSaysAndTakesOneCharacter() {
    editing::ReplaceCharDialog record;
    record.recognised = u"犬";
    record.addToTable = true;
    textview::CCharReplaceDlg d(record);
    QCOMPARE(d.windowTitle(), QStringLiteral("文字置換"));
    QCOMPARE(d.recognisedEdit()->text(), QStringLiteral("犬"));
    QVERIFY(d.recognisedEdit()->isReadOnly());
    QVERIFY(d.registerBox()->isChecked());
    QCOMPARE(d.registerBox()->text(), QStringLiteral("登録文字テーブルに追加(&A)"));
    QCOMPARE(d.cancelButton()->text(), QStringLiteral("キャンセル"));
    QVERIFY(!d.okButton()->isEnabled());
    // At most two UTF-16 units: a surrogate pair fits, a third unit does not.
    QTest::keyClicks(d.replacementEdit(), QStringLiteral("abc"));
    QCOMPARE(d.replacementEdit()->text(), QStringLiteral("ab"));
    QVERIFY(d.okButton()->isEnabled());
    d.replacementEdit()->setText(QString::fromStdU16String(u"\U00020B9F"));
    QCOMPARE(d.result().replacement, std::u16string(u"\U00020B9F"));
    d.replacementEdit()->clear();
    QVERIFY(!d.okButton()->isEnabled());
  }

  void replacingThroughTheDialogRegistersThePairOnce() {
    CorrectionHarness h;
    h.open(candidatePages());
    h.caretAt(0, 0, 1);
    QPoint opened;
    QString shownRecognised;
    bool focusInReplacement = false;
    const QPoint middle = h.view().viewport()->mapToGlobal(h.view().viewport()->rect().center());
    auto answer = [&](const QString& text, bool add) {
      whenReplaceDialogOpens([&, text, add](textview::CCharReplaceDlg& d) {
        opened = d.pos();
        shownRecognised = d.recognisedEdit()->text();
        focusInReplacement = d.focusWidget() == d.replacementEdit();
        d.replacementEdit()->insert(text);
        d.registerBox()->setChecked(add);
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
      });
      h.choose = QStringLiteral("置換(&R)...");
      h.rightClick(h.pointOf(0, 0, 1));
    };
    answer(QStringLiteral("猫"), true);
    QCOMPARE(opened, middle);
    QCOMPARE(shownRecognised, QStringLiteral("大"));
    QVERIFY(focusInReplacement);
    QCOMPARE(h.lineText(0, 0), std::u16string(u"犬猫太"));
    QCOMPARE(h.ch(0, 0, 1).changed, int8_t{1});
    QCOMPARE(h.frame.registerReplacement, 1);
    QCOMPARE(h.registered.pairs.size(), size_t{1});
    QCOMPARE(h.registered.pairs[0].first, std::u16string(u"大"));
    QCOMPARE(h.registered.pairs[0].second, std::u16string(u"猫"));
    // Like every correction it is a step of the history, which the undo item names.
    QVERIFY(h.commands().isEnabled(app::IdUndo));
    QCOMPARE(h.commands().caption(app::IdUndo), QStringLiteral("元に戻す - 置換(&U)\tCtrl+Z"));

    // The same correction again: the pair is not added a second time.
    h.ch(0, 0, 1).text = model::makeCharText(u'大');
    answer(QStringLiteral("猫"), true);
    QCOMPARE(h.lineText(0, 0), std::u16string(u"犬猫太"));
    QCOMPARE(h.registered.pairs.size(), size_t{1});

    // Two separate characters are ignored; the box's state is still the setting.
    answer(QStringLiteral("ab"), false);
    QCOMPARE(h.lineText(0, 0), std::u16string(u"犬猫太"));
    QCOMPARE(h.frame.registerReplacement, 1);
    // Cancel changes nothing, the setting included.
    whenReplaceDialogOpens([](textview::CCharReplaceDlg& d) {
      d.registerBox()->setChecked(false);
      QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    });
    h.choose = QStringLiteral("置換(&R)...");
    h.rightClick(h.pointOf(0, 0, 1));
    QCOMPARE(h.frame.registerReplacement, 1);
    answer(QStringLiteral("B"), false);
    QCOMPARE(h.lineText(0, 0), std::u16string(u"犬B太"));
    QCOMPARE(h.frame.registerReplacement, 0);
  }
};

int runCorrectionMenuTests(int argc, char** argv) {
  CorrectionMenuTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "correction_menu_test.moc"
