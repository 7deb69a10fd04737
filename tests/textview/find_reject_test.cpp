// Find and replace through their dialogs across pages with scripted answers, and stepping
// through rejects with the commands.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "correction_harness.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

using namespace vellary;
using appcore::Answer;
using testing::CorrectionHarness;
using testing::textPage;

namespace {

QList<textview::CFindReplaceDlg*> openDialogs(app::CMainFrame& frame) {
  return frame.textView().findChildren<textview::CFindReplaceDlg*>();
}

void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Characters below the reject level 2 at the given indexes of every line of the page.
model::PageData rejectPage(std::u16string_view text, std::initializer_list<int> rejects) {
  auto page = textPage({{text}});
  auto& line = page.blocks.front().lines.front();
  for (int i : rejects) testing::charOf(line, i).cc = 1;
  return page;
}

}  // namespace

class FindRejectTest : public QObject {
  Q_OBJECT

 private slots:
  void findWalksHitsIntoViewAndOnToTheNextPage() {
    CorrectionHarness h;
    // The second block lies far below the first, out of the window until a hit scrolls to it.
    std::vector<model::PageData> pages;
    pages.push_back(textPage({{u"ABAB", u"xyz"}, {u"zAB"}}, 2500));
    pages.push_back(textPage({{u"ABq"}}));
    auto& frame = h.open(std::move(pages));
    QVERIFY(frame.commands().isEnabled(app::IdFind));
    // The selection within one line becomes the text to find.
    h.caretAt(0, 0, 0, 0, 2);
    QVERIFY(h.commands().dispatch(app::IdFind));
    textview::CFindReplaceDlg* d = h.correction().findDialog();
    QVERIFY(d != nullptr);
    QCOMPARE(d->windowTitle(), QStringLiteral("検索"));
    QVERIFY(!d->isModal());
    QCOMPARE(d->findEdit()->text(), QStringLiteral("AB"));
    QCOMPARE(d->findEdit()->maxLength(), 79);
    QVERIFY(d->downButton()->isChecked());
    QVERIFY(d->matchCaseBox()->isChecked());
    QVERIFY(d->replaceEdit() == nullptr);
    // A second open command shows no second dialog.
    QVERIFY(h.commands().dispatch(app::IdReplace));
    QCOMPARE(openDialogs(frame).size(), 1);
    QCOMPARE(h.correction().findDialog(), d);

    click(d->findNextButton());
    QCOMPARE(h.caret().selection.anchor, h.pos(0, 0, 0));
    QCOMPARE(h.selected(), std::u16string(u"AB"));
    click(d->findNextButton());
    QCOMPARE(h.caret().selection.anchor, h.pos(0, 0, 2));
    // The hit's character is framed in the image view and its line marked in the page list.
    const model::CharData& hit = h.ch(0, 0, 2);
    QCOMPARE(frame.imageView().highlight(),
             (views::PageRect{hit.x, hit.y, hit.x + hit.width, hit.y + hit.height}));
    const model::LineData& hitLine = h.line(0, 0);
    QCOMPARE(frame.pageList().lineRect(),
             (views::PageRect{hitLine.x, hitLine.y, hitLine.x + hitLine.width,
                              hitLine.y + hitLine.height}));

    const QRect viewportRect = h.view().viewport()->rect();
    QVERIFY(!viewportRect.contains(h.pointOf(1, 0, 1)));
    click(d->findNextButton());
    QCOMPARE(h.caret().selection.anchor, h.pos(1, 0, 1));
    QVERIFY(viewportRect.contains(h.pointOf(1, 0, 1)));
    QVERIFY(viewportRect.contains(h.pointOf(1, 0, 2)));

    h.prompter.answers = {Answer::Yes};
    click(d->findNextButton());
    QCOMPARE(frame.doc().currentPage(), 1);
    QCOMPARE(h.caret().selection.anchor, h.pos(0, 0, 0));
    QCOMPARE(h.selected(), std::u16string(u"AB"));
    click(d->findNextButton());
    QCOMPARE(h.shownTexts(),
             (std::vector<std::string>{"文字列が見つかりません。次のページを検索しますか？",
                                       "文字列が見つかりません。最終ページです。"}));
    QCOMPARE(h.prompter.shown[0].buttons, appcore::Buttons::YesNo);
    QCOMPARE(h.prompter.shown[1].buttons, appcore::Buttons::Ok);

    // Closing forgets the dialog, keeps the hit selected and remembers match case.
    d->matchCaseBox()->setChecked(false);
    click(d->cancelButton());
    QVERIFY(h.correction().findDialog() == nullptr);
    QCOMPARE(h.selected(), std::u16string(u"AB"));
    QVERIFY(!h.correction().findState().matchCase);
    QVERIFY(h.commands().dispatch(app::IdFind));
    QVERIFY(h.correction().findDialog() != nullptr);
    QVERIFY(!h.correction().findDialog()->matchCaseBox()->isChecked());
    QCOMPARE(h.correction().findDialog()->findEdit()->text(), QStringLiteral("AB"));
    h.correction().findDialog()->close();
    QVERIFY(h.correction().findDialog() == nullptr);
  }

  void aPageOpenedWhileTheDialogIsOpenIsSearchedFromItsCaret() {
    CorrectionHarness h;
    std::vector<model::PageData> pages;
    pages.push_back(textPage({{u"xAB"}}));
    pages.push_back(textPage({{u"ABAB"}}));
    auto& frame = h.open(std::move(pages));
    h.caretAt(0, 0, 0);
    QVERIFY(h.commands().dispatch(app::IdFind));
    textview::CFindReplaceDlg* d = h.correction().findDialog();
    d->findEdit()->setText(QStringLiteral("AB"));
    click(d->findNextButton());
    QCOMPARE(h.caret().selection.anchor, h.pos(0, 0, 1));
    // The page list opens the next page: its text is searched from its first character, not
    // from where the search stood on the page before.
    frame.doc().setCurrentPage(1);
    click(d->findNextButton());
    QCOMPARE(frame.doc().currentPage(), 1);
    QCOMPARE(h.caret().selection.anchor, h.pos(0, 0, 0));
    QVERIFY(h.prompter.shown.empty());
    d->close();
  }

  void replaceAllCarriesOnToTheNextPageAfterAsking() {
    CorrectionHarness h;
    std::vector<model::PageData> pages;
    pages.push_back(textPage({{u"ABAB"}, {u"cAB"}}));
    pages.push_back(textPage({{u"AB"}}));
    auto& frame = h.open(std::move(pages));
    h.caretAt(0, 0, 0);
    QVERIFY(h.commands().dispatch(app::IdReplace));
    textview::CFindReplaceDlg* d = h.correction().findDialog();
    QVERIFY(d != nullptr);
    QCOMPARE(d->windowTitle(), QStringLiteral("置換"));
    d->findEdit()->setText(QStringLiteral("AB"));
    d->replaceEdit()->setText(QStringLiteral("AB"));
    click(d->replaceAllButton());
    QCOMPARE(h.shownTexts(), (std::vector<std::string>{"検索文字と置換文字が同じです。"}));
    QCOMPARE(h.pageText(), std::u16string(u"ABABcAB"));

    h.prompter.shown.clear();
    d->replaceEdit()->setText(QStringLiteral("xyz"));
    h.prompter.answers = {Answer::Yes};
    click(d->replaceAllButton());
    QCOMPARE(frame.doc().currentPage(), 1);
    QCOMPARE(h.pageText(), std::u16string(u"xyz"));
    frame.doc().setCurrentPage(0);
    QCOMPARE(h.pageText(), std::u16string(u"xyzxyzcxyz"));
    QCOMPARE(h.shownTexts(),
             (std::vector<std::string>{
                 "このページでの置換処理が終了しました。次のページを置換処理しますか？",
                 "このページでの置換処理が終了しました。"}));
    QCOMPARE(frame.pageList().markText(0), QStringLiteral("*"));
    QCOMPARE(frame.pageList().markText(1), QStringLiteral("*"));
    // The buffers outlive the dialog.
    click(d->cancelButton());
    QVERIFY(h.commands().dispatch(app::IdReplace));
    QCOMPARE(h.correction().findDialog()->replaceEdit()->text(), QStringLiteral("xyz"));
    h.correction().findDialog()->close();
  }

  void replaceOneAtATimeIgnoresCaseWhenAskedAndRegistersThePairOnce() {
    CorrectionHarness h;
    h.frame.registerReplacement = 1;
    h.open({textPage({{u"aAbAB"}})});
    h.caretAt(0, 0, 0);
    QVERIFY(h.commands().dispatch(app::IdReplace));
    textview::CFindReplaceDlg* d = h.correction().findDialog();
    d->findEdit()->setText(QStringLiteral("ab"));
    d->replaceEdit()->setText(QStringLiteral("Z"));
    d->matchCaseBox()->setChecked(false);
    // The first press only finds; each later press replaces the hit and finds the next.
    click(d->replaceButton());
    QCOMPARE(h.selected(), std::u16string(u"Ab"));
    QCOMPARE(h.pageText(), std::u16string(u"aAbAB"));
    click(d->replaceButton());
    QCOMPARE(h.pageText(), std::u16string(u"aZAB"));
    QCOMPARE(h.selected(), std::u16string(u"AB"));
    h.prompter.answers = {Answer::No};
    click(d->replaceButton());
    QCOMPARE(h.pageText(), std::u16string(u"aZZ"));
    QCOMPARE(
        h.shownTexts(),
        (std::vector<std::string>{"文字列が見つかりません。このページの最初から検索しますか？"}));
    QCOMPARE(h.registered.pairs.size(), size_t{1});
    QCOMPARE(h.registered.pairs[0].first, std::u16string(u"ab"));
    // One replacement is one undo step of the page.
    QVERIFY(h.commands().dispatch(app::IdUndo));
    QCOMPARE(h.pageText(), std::u16string(u"aZAB"));
    d->close();
  }

  // The hit a search selected is what the proofreader looks at: the dialog moves off it, and it
  // stays selected once the dialog closes, so that typing replaces it.
  void aFindHitStaysInSightAndSelectedAfterTheDialogCloses() {
    CorrectionHarness h;
    h.open({textPage({{u"ABCABC"}})});
    h.caretAt(0, 0, 0);
    QVERIFY(h.commands().dispatch(app::IdFind));
    textview::CFindReplaceDlg* d = h.correction().findDialog();
    d->findEdit()->setText(QStringLiteral("CA"));
    auto hitOnScreen = [&h] {
      QWidget* vp = h.view().viewport();
      const QRect hit = h.view().selectionRect().translated(-h.view().scrollPosition());
      return QRect(vp->mapToGlobal(hit.topLeft()), hit.size());
    };
    // The dialog stands where the hit will be.
    const QPoint hitPoint = h.view().viewport()->mapToGlobal(h.pointOf(0, 0, 2));
    d->move(hitPoint - QPoint(d->frameGeometry().width() / 2, d->frameGeometry().height() / 2));
    QVERIFY(d->frameGeometry().contains(hitPoint));
    click(d->findNextButton());
    QCOMPARE(h.selected(), std::u16string(u"CA"));
    QVERIFY(!d->frameGeometry().intersects(hitOnScreen()));
    click(d->cancelButton());
    QVERIFY(h.correction().findDialog() == nullptr);
    QCOMPARE(h.selected(), std::u16string(u"CA"));
    QTest::keyClicks(&h.view(), QStringLiteral("x"));
    QCOMPARE(h.pageText(), std::u16string(u"ABxBC"));
  }

  // A match selected before 置換して次に is pressed is replaced by that first press, however it
  // came to be selected: by the mouse, or by a search in the dialog closed since.
  void replaceNextReplacesTheSelectedMatchOnItsFirstPress() {
    CorrectionHarness h;
    h.open({textPage({{u"abXab"}}), textPage({{u"ab"}})});
    // Selected with the keyboard before the dialog opens.
    h.caretAt(0, 0, 3);
    QTest::keyClick(&h.view(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&h.view(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(h.selected(), std::u16string(u"ab"));
    QVERIFY(h.commands().dispatch(app::IdReplace));
    textview::CFindReplaceDlg* d = h.correction().findDialog();
    QCOMPARE(d->findEdit()->text(), QStringLiteral("ab"));
    d->replaceEdit()->setText(QStringLiteral("Z"));
    h.prompter.answers = {Answer::No};
    click(d->replaceButton());
    QCOMPARE(h.pageText(), std::u16string(u"abXZ"));
    d->close();
    // Found by an earlier search, kept selected when that dialog closed.
    h.caretAt(0, 0, 0);
    QVERIFY(h.commands().dispatch(app::IdFind));
    d = h.correction().findDialog();
    d->findEdit()->setText(QStringLiteral("ab"));
    click(d->findNextButton());
    click(d->cancelButton());
    QCOMPARE(h.selected(), std::u16string(u"ab"));
    QVERIFY(h.commands().dispatch(app::IdReplace));
    d = h.correction().findDialog();
    h.prompter.answers = {Answer::No};
    click(d->replaceButton());
    QCOMPARE(h.pageText(), std::u16string(u"ZXZ"));
    d->close();
  }

  void aDialogMovesToTheSideOfTheHitThatHasRoom() {
    const QRect screen(0, 0, 1600, 1000);
    const QRect frame(500, 400, 300, 200);
    // Clear of the hit: stays.
    QCOMPARE(textview::positionClearOf(frame, QRect(100, 100, 40, 20), screen), frame.topLeft());
    // Covering it: below when there is room, else above, else beside.
    QCOMPARE(textview::positionClearOf(frame, QRect(600, 450, 40, 20), screen), QPoint(500, 478));
    QCOMPARE(textview::positionClearOf(frame.translated(0, 400), QRect(600, 850, 40, 20), screen),
             QPoint(500, 642));
    const QRect tall(600, 100, 40, 850);  // a vertical hit down the whole screen
    QCOMPARE(textview::positionClearOf(frame, tall, screen), QPoint(648, 400));
    QCOMPARE(textview::positionClearOf(frame.translated(600, 0), QRect(1280, 100, 40, 850), screen),
             QPoint(972, 400));
    // Nowhere to go: stays.
    QCOMPARE(textview::positionClearOf(frame, screen, screen), frame.topLeft());
  }

  void rejectCommandsStepFromRejectToRejectAcrossPages() {
    CorrectionHarness h;
    std::vector<model::PageData> pages;
    pages.push_back(rejectPage(u"あいうえ", {1, 3}));
    pages.push_back(rejectPage(u"かき", {1}));
    auto& frame = h.open(std::move(pages));
    QCOMPARE(frame.commands().action(app::IdNextReject)->shortcuts(),
             (QList<QKeySequence>{QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_R)}));
    QCOMPARE(frame.commands().action(app::IdPreviousReject)->shortcut(),
             QKeySequence(Qt::SHIFT | Qt::Key_F3));

    h.caretAt(0, 0, 1);
    // The first press takes the reject under the caret, the next one moves on.
    QVERIFY(h.commands().dispatch(app::IdNextReject));
    QCOMPARE(h.selected(), std::u16string(u"い"));
    QVERIFY(h.commands().dispatch(app::IdNextReject));
    QCOMPARE(h.selected(), std::u16string(u"え"));
    const model::CharData& e = h.ch(0, 0, 3);
    QCOMPARE(frame.imageView().highlight(),
             (views::PageRect{e.x, e.y, e.x + e.width, e.y + e.height}));
    QVERIFY(h.commands().dispatch(app::IdPreviousReject));
    QCOMPARE(h.selected(), std::u16string(u"い"));

    h.caretAt(0, 0, 3, 0, 4);
    h.prompter.answers = {Answer::Yes};
    QVERIFY(h.commands().dispatch(app::IdNextReject));
    QCOMPARE(frame.doc().currentPage(), 1);
    QCOMPARE(h.selected(), std::u16string(u"き"));
    // Nothing before it on this page, and No keeps the caret where it was.
    h.prompter.answers = {Answer::No};
    QVERIFY(h.commands().dispatch(app::IdPreviousReject));
    QCOMPARE(frame.doc().currentPage(), 1);
    QCOMPARE(h.caret().caret, h.pos(0, 0, 1));
    // On the last page the search may start again from the page's start.
    h.caretAt(0, 0, 1, 0, 2);
    h.prompter.answers = {Answer::Yes};
    QVERIFY(h.commands().dispatch(app::IdNextReject));
    QCOMPARE(h.selected(), std::u16string(u"き"));
    QCOMPARE(h.shownTexts(), (std::vector<std::string>{
                                 "文字列が見つかりません。次のページを検索しますか？",
                                 "文字列が見つかりません。前のページを検索しますか？",
                                 "文字列が見つかりません。このページの最初から検索しますか？"}));

    // Block editing has no reject commands.
    QVERIFY(h.commands().dispatch(app::IdBlockEdit));
    QVERIFY(!h.commands().isEnabled(app::IdNextReject));
    QVERIFY(!h.commands().isEnabled(app::IdPreviousReject));
  }
};

int runCorrectionMenuTests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failed = runCorrectionMenuTests(argc, argv);
  FindRejectTest t;
  failed |= QTest::qExec(&t, argc, argv);
  return failed;
}

#include "find_reject_test.moc"
