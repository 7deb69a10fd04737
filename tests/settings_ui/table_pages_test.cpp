// The two table pages: adding, deleting, loading another file and saving, with their messages and
// file dialogs, and what OK and Cancel leave in the tables.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "settings_ui/standard_dialogs.h"
#include "sheet_harness.h"

using namespace vellary;
using appcore::Answer;
using settings_ui::CSetting;
using testing::child;
using testing::SheetHarness;
using testing::TempDir;
using testing::utf16File;

namespace {

QStringList rows(const QTreeWidget& list) {
  QStringList out;
  for (int i = 0; i < list.topLevelItemCount(); ++i)
    out << list.topLevelItem(i)->text(0) + u'|' + list.topLevelItem(i)->text(1);
  return out;
}

void press(QWidget& page, const char* button) {
  QTest::mouseClick(&child<QPushButton>(page, button), Qt::LeftButton);
}

// A registered table loaded from its own file in the harness's folder.
void loadRegistered(SheetHarness& h, const std::u16string& text) {
  h.registered.fileName = h.dir.write("registTable.csv", utf16File(text));
  QVERIFY(h.registered.load(h.registered.fileName, h.prompter) >= 0);
}

}  // namespace

class TablePageTest : public QObject {
  Q_OBJECT

 private slots:
  void registeredPageShowsTheTableAndFillsTheFieldsFromARow() {
    SheetHarness h;
    loadRegistered(h, u"ABC,XYZ\r\n旧,新\r\n");
    CSetting& s = h.make();
    auto& page = s.registered();
    QCOMPARE(rows(page.list()), (QStringList{"ABC|XYZ", "旧|新"}));
    QCOMPARE(page.fileNameShown(), QString::fromStdString(h.registered.fileName));
    QCOMPARE(page.list().headerItem()->text(0), QStringLiteral("検索語"));
    QCOMPARE(page.list().headerItem()->text(1), QStringLiteral("置換語"));
    QVERIFY(!child<QPushButton>(page, "delete").isEnabled());
    QVERIFY(!child<QPushButton>(page, "add").isEnabled());
    page.list().topLevelItem(1)->setSelected(true);
    QCOMPARE(child<QLineEdit>(page, "firstWord").text(), QStringLiteral("旧"));
    QCOMPARE(child<QLineEdit>(page, "secondWord").text(), QStringLiteral("新"));
    QVERIFY(child<QPushButton>(page, "delete").isEnabled());
    QVERIFY(child<QPushButton>(page, "add").isEnabled());
  }

  void addAndDeleteReachTheTableOnlyOnOk() {
    SheetHarness h;
    loadRegistered(h, u"ABC,XYZ\r\n");
    {
      CSetting& s = h.make();
      auto& page = s.registered();
      QTest::keyClicks(&child<QLineEdit>(page, "firstWord"), QStringLiteral("DEF"));
      QTest::keyClicks(&child<QLineEdit>(page, "secondWord"), QStringLiteral("GHI"));
      press(page, "add");
      QCOMPARE(child<QLineEdit>(page, "firstWord").text(), QString());
      QCOMPARE(child<QLineEdit>(page, "secondWord").text(), QString());
      s.reject();
    }
    QCOMPARE(h.registered.pairs.size(), size_t(1));
    QCOMPARE(h.registered.modified, 0);
    CSetting& s = h.make();
    auto& page = s.registered();
    QTest::keyClicks(&child<QLineEdit>(page, "firstWord"), QStringLiteral("DEF"));
    press(page, "add");
    page.list().topLevelItem(0)->setSelected(true);
    press(page, "delete");
    QCOMPARE(rows(page.list()), (QStringList{"DEF|"}));
    s.accept();
    QCOMPARE(h.registered.pairs.size(), size_t(1));
    QVERIFY(h.registered.pairs[0].first == u"DEF");
    QVERIFY(h.registered.pairs[0].second.empty());
    QCOMPARE(h.registered.modified, 1);
  }

  void enterInAFieldRegistersAndKeepsTheSheetOpen() {
    SheetHarness h;
    CSetting& s = h.make();
    s.show();
    s.tabs().setCurrentWidget(&s.registered());
    auto& page = s.registered();
    QTest::keyClick(&child<QLineEdit>(page, "secondWord"), Qt::Key_Return);
    QCOMPARE(h.prompter.shown.size(), size_t(1));
    QCOMPARE(h.prompter.shown[0].text, std::string("追加する登録文字を入力してください。"));
    QCOMPARE(page.list().topLevelItemCount(), 0);
    QTest::keyClicks(&child<QLineEdit>(page, "firstWord"), QStringLiteral("ABC"));
    QTest::keyClick(&child<QLineEdit>(page, "firstWord"), Qt::Key_Return);
    QCOMPARE(rows(page.list()), (QStringList{"ABC|"}));
    QVERIFY(s.isVisible());
    QVERIFY(h.registered.pairs.empty());
  }

  void separatorsCannotBeTypedIntoTheWords() {
    SheetHarness h;
    CSetting& s = h.make();
    QTest::keyClicks(&child<QLineEdit>(s.registered(), "firstWord"), QStringLiteral("A B,C\tD"));
    QCOMPARE(child<QLineEdit>(s.registered(), "firstWord").text(), QStringLiteral("ABCD"));
    // The explanation table separates at blanks and tabs only.
    QTest::keyClicks(&child<QLineEdit>(s.explanations(), "secondWord"), QStringLiteral("a, b"));
    QCOMPARE(child<QLineEdit>(s.explanations(), "secondWord").text(), QStringLiteral("a,b"));
  }

  void loadingSavesTheChangedTableFirstThenShowsTheOtherFile() {
    SheetHarness h;
    loadRegistered(h, u"ABC,XYZ\r\n");
    const std::string other = h.dir.write("other.csv", utf16File(u"P,Q\r\nR,S\r\n"));
    CSetting& s = h.make();
    auto& page = s.registered();
    QTest::keyClicks(&child<QLineEdit>(page, "firstWord"), QStringLiteral("NEW"));
    press(page, "add");
    h.dialogs.files.push_back(other);
    press(page, "load");
    QCOMPARE(h.dialogs.requests.back().defaultSuffix, QStringLiteral("csv"));
    QCOMPARE(settings_ui::qtFileFilter(h.dialogs.requests.back().filter),
             QStringLiteral("csv file (*.csv);;All Files (*)"));
    QCOMPARE(TempDir::read(h.dir / "registTable.csv"), utf16File(u"ABC,XYZ\r\nNEW,\r\n"));
    QCOMPARE(rows(page.list()), (QStringList{"P|Q", "R|S"}));
    QCOMPARE(page.fileNameShown(), QString::fromStdString(other));
    QCOMPARE(h.registered.fileName, other);
    QCOMPARE(h.app.registTableName, other);
    QCOMPARE(h.registered.modified, 0);
    s.accept();
    QCOMPARE(h.registered.pairs.size(), size_t(2));
    QCOMPARE(h.registered.modified, 0);
  }

  void aFileThatCannotBeReadKeepsTheList() {
    SheetHarness h;
    loadRegistered(h, u"ABC,XYZ\r\n");
    const std::string bad = h.dir.write("bad.csv", std::string("\xFF\xFE\x41", 3));
    CSetting& s = h.make();
    auto& page = s.registered();
    h.dialogs.files.push_back(bad);
    press(page, "load");
    QCOMPARE(h.prompter.shown.back().text, std::string("文字登録テーブル読み込みエラー"));
    QCOMPARE(h.prompter.shown.back().caption, std::string("ファイル読み込みエラー"));
    QCOMPARE(rows(page.list()), (QStringList{"ABC|XYZ"}));
    QCOMPARE(page.fileNameShown(), QString::fromStdString(h.registered.fileName));
    QVERIFY(h.app.registTableName.empty());
  }

  void editsThatCannotBeSavedAreNotReplacedByTheLoadedFile() {
    SheetHarness h;
    h.registered.fileName = h.dir / "missing-folder/registTable.csv";
    const std::string other = h.dir.write("other.csv", utf16File(u"P,Q\r\n"));
    CSetting& s = h.make();
    auto& page = s.registered();
    QTest::keyClicks(&child<QLineEdit>(page, "firstWord"), QStringLiteral("NEW"));
    press(page, "add");
    h.dialogs.files.push_back(other);
    press(page, "load");
    QCOMPARE(h.prompter.shown.back().text, "ファイル(" + h.registered.fileName + ")が開けません");
    QCOMPARE(h.prompter.shown.back().caption, std::string("ファイルオープンエラー"));
    QCOMPARE(rows(page.list()), (QStringList{"NEW|"}));
  }

  void savingWritesTheListElsewhereAndKeepsTheTableFile() {
    SheetHarness h;
    loadRegistered(h, u"ABC,XYZ\r\n");
    const std::string own = h.registered.fileName;
    CSetting& s = h.make();
    auto& page = s.registered();
    child<QLineEdit>(page, "firstWord").setText(QStringLiteral("字"));
    child<QLineEdit>(page, "secondWord").setText(QStringLiteral("文字"));
    press(page, "add");
    h.dialogs.files.push_back(h.dir / "copy.csv");
    press(page, "save");
    QCOMPARE(TempDir::read(h.dir / "copy.csv"), utf16File(u"ABC,XYZ\r\n字,文字\r\n"));
    QCOMPARE(TempDir::read(own), utf16File(u"ABC,XYZ\r\n"));
    QCOMPARE(h.registered.fileName, own);
    QCOMPARE(page.fileNameShown(), QString::fromStdString(own));
    h.dialogs.files.push_back(std::nullopt);  // a cancelled dialog writes nothing
    press(page, "save");
    QCOMPARE(h.prompter.shown.size(), size_t(0));
  }

  // --- Candidate explanations --------------------------------------------------------------

  void explanationRowsHoldOneCharacter() {
    SheetHarness h;
    CSetting& s = h.make();
    auto& page = s.explanations();
    QCOMPARE(page.list().headerItem()->text(0), QStringLiteral("文字"));
    auto& character = child<QLineEdit>(page, "firstWord");
    auto& explanation = child<QLineEdit>(page, "secondWord");
    character.setText(QStringLiteral("字"));
    QVERIFY(!child<QPushButton>(page, "add").isEnabled());  // both fields are needed
    explanation.setText(QStringLiteral("ジ"));
    press(page, "add");
    character.setText(QStringLiteral("字体"));
    press(page, "add");
    QCOMPARE(h.prompter.shown.size(), size_t(1));
    QCOMPARE(h.prompter.shown[0].text, std::string("登録できる候補文字は１文字です"));
    character.setText(QString::fromUtf8("\U0002000B"));  // a surrogate pair is one character
    press(page, "add");
    QCOMPARE(rows(page.list()), (QStringList{"字|ジ", QString::fromUtf8("\U0002000B|ジ")}));
    s.accept();
    QCOMPARE(h.explanations.pairs.size(), size_t(2));
    QVERIFY(h.explanations.explanationOf(u"字") == u"ジ");
    QCOMPARE(h.explanations.modified, 1);
  }

  void changingTheFileAsksAboutEditsFirst() {
    SheetHarness h;
    h.explanations.fileName = h.dir.write("CandidateExplain.txt", utf16File(u"字\tジ\r\n"));
    h.explanations.load(h.explanations.fileName, h.prompter);
    const std::string other = h.dir.write("other.txt", utf16File(u"木\tき\r\n林\tはやし\r\n"));
    CSetting& s = h.make();
    auto& page = s.explanations();
    auto addRow = [&] {
      child<QLineEdit>(page, "firstWord").setText(QStringLiteral("森"));
      child<QLineEdit>(page, "secondWord").setText(QStringLiteral("もり"));
      press(page, "add");
    };
    addRow();
    // Cancel: nothing is loaded.
    h.dialogs.files.push_back(other);
    h.prompter.answers.push_back(Answer::Cancel);
    press(page, "load");
    QCOMPARE(h.prompter.shown.back().text,
             std::string("読みテーブルは変更されてますが、保存しますか?"));
    QCOMPARE(h.prompter.shown.back().buttons, appcore::Buttons::YesNoCancel);
    QCOMPARE(page.list().topLevelItemCount(), 2);
    // No: the other file is shown and the own file keeps what it had, also at exit.
    h.dialogs.files.push_back(other);
    h.prompter.answers.push_back(Answer::No);
    press(page, "load");
    QCOMPARE(rows(page.list()), (QStringList{"木|き", "林|はやし"}));
    QCOMPARE(TempDir::read(h.explanations.fileName), utf16File(u"字\tジ\r\n"));
    QCOMPARE(page.fileNameShown(), QString::fromStdString(h.explanations.fileName));
    // Yes: the edits are saved to the table's own file before the other one is read.
    addRow();
    h.dialogs.files.push_back(other);
    h.prompter.answers.push_back(Answer::Yes);
    press(page, "load");
    QCOMPARE(TempDir::read(h.explanations.fileName),
             utf16File(u"木\tき\r\n林\tはやし\r\n森\tもり\r\n"));
    QCOMPARE(h.dialogs.requests.back().defaultSuffix, QStringLiteral("txt"));
    // Unchanged now: loading again asks nothing.
    const size_t asked = h.prompter.shown.size();
    h.dialogs.files.push_back(other);
    press(page, "load");
    QCOMPARE(h.prompter.shown.size(), asked);
    s.accept();
    QCOMPARE(h.explanations.modified, 0);
  }

  void filtersBecomeQtFilters() {
    QCOMPARE(settings_ui::qtFileFilter(QStringLiteral("環境設定ファイル (*.sew)|*.sew||")),
             QStringLiteral("環境設定ファイル (*.sew)"));
    QCOMPARE(settings_ui::qtFileFilter(
                 QStringLiteral("候補文字読みテーブル (*.txt)|*.txt|All Files (*.*)|*.*||")),
             QStringLiteral("候補文字読みテーブル (*.txt);;All Files (*)"));
    QCOMPARE(settings_ui::qtFileFilter(QStringLiteral("Images|*.tif;*.png||")),
             QStringLiteral("Images (*.tif *.png)"));
  }
};

int runTablePageTests(int argc, char** argv) {
  TablePageTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "table_pages_test.moc"
