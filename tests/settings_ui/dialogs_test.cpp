// The document information and ruby strings dialogs, alone and opened from the output page.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "settings_ui/info_dialogs.h"
#include "sheet_harness.h"

using namespace vellary;
using settings_ui::CFileInfoDlg;
using settings_ui::CRubyStringsDlg;
using testing::SheetHarness;

namespace {

QLineEdit& field(QWidget& dialog, const char* name) {
  auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
  if (edit == nullptr) qFatal("no field %s", name);
  return *edit;
}

}  // namespace

class DialogTest : public QObject {
  Q_OBJECT

 private slots:
  void documentInformationFieldsAndLimits() {
    CFileInfoDlg dialog({"表題", "副題", "著者", "語"}, QStringLiteral("作る人"),
                        QStringLiteral("変える人"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("保存ファイル情報の入力"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(QApplication::focusWidget(), &field(dialog, "title"));
    QCOMPARE(dialog.findChild<QLabel*>("creator")->text(), QStringLiteral("作る人"));
    QCOMPARE(dialog.findChild<QLabel*>("producer")->text(), QStringLiteral("変える人"));
    field(dialog, "keywords").clear();
    QTest::keyClicks(&field(dialog, "keywords"), QString(300, u'k'));
    QCOMPARE(field(dialog, "keywords").text().size(), 255);
    const settings_ui::DocumentInfo info = dialog.info();
    QCOMPARE(info.title, std::string("表題"));
    QCOMPARE(info.author, std::string("著者"));
    QCOMPARE(info.keywords, std::string(255, 'k'));
  }

  void rubySampleFollowsEveryField() {
    CRubyStringsDlg dialog({"", "(", ")"});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ルビ認識挿入文字列設定"));
    QCOMPARE(dialog.sampleText(), QStringLiteral("認識(にんしき)"));
    field(dialog, "baseStart").setText(QStringLiteral("｜"));
    QCOMPARE(dialog.sampleText(), QStringLiteral("｜認識(にんしき)"));
    field(dialog, "rubyStart").setText(QStringLiteral("《"));
    field(dialog, "rubyEnd").setText(QStringLiteral("》"));
    QCOMPARE(dialog.sampleText(), QStringLiteral("｜認識《にんしき》"));
    QCOMPARE(dialog.strings(), (settings_ui::RubyStrings{"｜", "《", "》"}));
  }

  void outputPageTakesTheDialogsStringsOnlyOnTheirOk() {
    SheetHarness h;
    h.frame.pdfFileTitle = "旧題";
    settings_ui::CSetting& s = h.make();
    auto& page = s.output();
    testing::whenModalOpens<CFileInfoDlg>([](CFileInfoDlg& d) {
      field(d, "title").setText(QStringLiteral("新題"));
      field(d, "author").setText(QStringLiteral("著者"));
      d.accept();
    });
    page.editDocumentInfo();
    testing::whenModalOpens<CRubyStringsDlg>([](CRubyStringsDlg& d) {
      field(d, "rubyStart").setText(QStringLiteral("《"));
      d.reject();
    });
    page.editRubyStrings();
    testing::whenModalOpens<CRubyStringsDlg>([](CRubyStringsDlg& d) {
      field(d, "rubyEnd").setText(QStringLiteral("]"));
      d.accept();
    });
    page.editRubyStrings();
    QCOMPARE(h.frame.pdfFileTitle, std::string("旧題"));  // only the sheet's OK stores
    s.accept();
    QCOMPARE(h.frame.pdfFileTitle, std::string("新題"));
    QCOMPARE(h.frame.pdfAuthor, std::string("著者"));
    QCOMPARE(h.frame.rubyOpen, std::string("("));
    QCOMPARE(h.frame.rubyClose, std::string("]"));
  }

  void theButtonsOpenTheDialogsWithTheCreatorShown() {
    SheetHarness h;
    settings_ui::CSetting& s = h.make();
    QString creator;
    testing::whenModalOpens<CFileInfoDlg>([&creator](CFileInfoDlg& d) {
      creator = d.findChild<QLabel*>("creator")->text();
      d.reject();
    });
    QTest::mouseClick(s.output().findChild<QPushButton*>("documentInfo"), Qt::LeftButton);
    QCOMPARE(creator, QString::fromUtf8(appcore::kCreatorName));
    bool opened = false;
    testing::whenModalOpens<CRubyStringsDlg>([&opened](CRubyStringsDlg& d) {
      opened = d.sampleText() == QStringLiteral("認識(にんしき)");
      d.reject();
    });
    QTest::mouseClick(s.output().findChild<QPushButton*>("rubyStrings"), Qt::LeftButton);
    QVERIFY(opened);
  }
};

int runDialogTests(int argc, char** argv) {
  DialogTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "dialogs_test.moc"
