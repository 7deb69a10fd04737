// CMainFrame's command table, the menus and toolbar built from it, and the handlers that need
// dialogs.
#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolBar>
#include <QUrl>
#include <filesystem>

#include "app/main_frame.h"
#include "document/document_export.h"
#include "editing/editor.h"
#include "editing/find_replace.h"
#include "editing/reject_nav.h"
#include "editing/ruby_edit.h"
#include "export/export_choice.h"
#include "formats/format.h"
#include "model/program_files.h"
#include "settings_ui/setting_sheet.h"
#include "settings_ui/settings_file.h"
#include "textview/block_edit_controller.h"
#include "textview/correction_view.h"
#include "textview/image_view.h"
#include "textview/structure_menu.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

namespace vellary::app {

namespace {

// The open dialog: the file, and whether it is appended to the open document.
std::optional<OpenChoice> askOpenFile(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("XMLファイルを開く"), folder,
                     QString::fromStdString(formats::openDialogFilter()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  auto* append = new QCheckBox(QStringLiteral("現在の文書に追加する(&D)"), &dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(append, grid->rowCount(), 0, 1, grid->columnCount());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return OpenChoice{dialog.selectedFiles().front().toStdString(), append->isChecked()};
}

// The pictures and PDFs to recognise into a new document.
std::vector<std::string> askScanFiles(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("画像から認識"), folder,
                     // The dialog's own list matches the patterns in any case.
                     QStringLiteral("画像・PDF (*.tif *.tiff *.png *.jpg *.jpeg *.bmp *.pdf);;"
                                    "すべてのファイル (*)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  std::vector<std::string> files;
  if (dialog.exec() != QDialog::Accepted) return files;
  for (const QString& file : dialog.selectedFiles()) files.push_back(file.toStdString());
  return files;
}

// The "保存範囲" group the save-as and export dialogs append below their standard controls: all
// pages, the current page, or a range whose two numbers are enabled only for that choice.
struct RangeGroup {
  QRadioButton* all;
  QRadioButton* current;
  QRadioButton* range;
  QSpinBox* first;
  QSpinBox* last;

  RangeGroup(QFileDialog& dialog, document::SaveChoice choice, int firstPage, int lastPage,
             int pageCount) {
    auto* group = new QGroupBox(QStringLiteral("保存範囲"), &dialog);
    all = new QRadioButton(QStringLiteral("全ページ(&A)"), group);
    current = new QRadioButton(QStringLiteral("現ページ(&C)"), group);
    range = new QRadioButton(QStringLiteral("範囲指定(&G)"), group);
    first = new QSpinBox(group);
    last = new QSpinBox(group);
    for (QSpinBox* box : {first, last}) box->setRange(0, std::max(1, pageCount));
    first->setValue(firstPage);
    last->setValue(lastPage);
    auto* row = new QHBoxLayout(group);
    row->addWidget(all);
    row->addWidget(current);
    row->addWidget(range);
    row->addWidget(first);
    row->addWidget(new QLabel(QStringLiteral("~"), group));
    row->addWidget(last);
    QSpinBox* f = first;
    QSpinBox* l = last;
    QRadioButton* r = range;
    auto enableNumbers = [f, l, r] {
      f->setEnabled(r->isChecked());
      l->setEnabled(r->isChecked());
    };
    QObject::connect(range, &QRadioButton::toggled, group, enableNumbers);
    switch (choice) {
      case document::SaveChoice::AllPages:
        all->setChecked(true);
        break;
      case document::SaveChoice::CurrentPage:
        current->setChecked(true);
        break;
      case document::SaveChoice::Range:
        range->setChecked(true);
        break;
    }
    enableNumbers();
    if (choice == document::SaveChoice::Range) first->setFocus();
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
      grid->addWidget(group, grid->rowCount(), 0, 1, grid->columnCount());
  }

  document::SaveChoice choice() const {
    return range->isChecked()     ? document::SaveChoice::Range
           : current->isChecked() ? document::SaveChoice::CurrentPage
                                  : document::SaveChoice::AllPages;
  }
};

// Where the save-as dialog starts: the document's name, or for a document read from another
// format a RovOrirUD name beside it that is not the file it was read from.
std::string saveAsStart(const document::CScrivlaDoc& doc) {
  const std::string& path = doc.pathName();
  if (doc.savesInPlace() || path.empty()) return path;
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                               ? path.substr(0, dot)
                               : path;
  const std::string xml = stem + ".xml";
  return xml == path ? stem + "-corrected.xml" : xml;
}

// The save-as dialog with its "保存範囲" group.
std::optional<SaveAsChoice> askSaveAs(QWidget* parent, const QString& start,
                                      const SaveAsChoice& previous, int pageCount) {
  QFileDialog dialog(parent, QString(), start, QStringLiteral("Xml (*.xml)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("xml"));
  RangeGroup group(dialog, previous.range, previous.first, previous.last, pageCount);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  SaveAsChoice choice;
  choice.path = dialog.selectedFiles().front().toStdString();
  choice.range = group.choice();
  choice.first = group.first->value();
  choice.last = group.last->value();
  return choice;
}

// The export dialog's file types, from the "description|pattern|…||" list: the descriptions,
// which carry their patterns, and each entry's extension.
struct ExportTypes {
  QStringList filters;
  QStringList suffixes;
};
ExportTypes exportTypes() {
  ExportTypes t;
  const QStringList parts =
      QString::fromUtf8(exporting::kExportFilter).split(u'|', Qt::SkipEmptyParts);
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    t.filters << parts[i];
    t.suffixes << parts[i + 1].section(u'.', -1);
  }
  return t;
}

// The export dialog: a save dialog whose default extension follows the file type chosen, with
// the "保存範囲" group below it.
std::optional<ExportChoice> askExport(QWidget* parent, const QString& start,
                                      const ExportChoice& previous, int pageCount) {
  const ExportTypes types = exportTypes();
  QFileDialog dialog(parent, QString(), start);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(types.filters);
  const int entry = std::clamp(previous.filterEntry, 1, static_cast<int>(types.filters.size()));
  dialog.selectNameFilter(types.filters[entry - 1]);
  dialog.setDefaultSuffix(types.suffixes[entry - 1]);
  dialog.setLabelText(QFileDialog::Reject, QStringLiteral("キャンセル"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    const qsizetype i = types.filters.indexOf(filter);
    if (i >= 0) dialog.setDefaultSuffix(types.suffixes[i]);
  });
  RangeGroup group(dialog, previous.range, previous.first, previous.last, pageCount);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  ExportChoice choice;
  choice.path = dialog.selectedFiles().front().toStdString();
  choice.filterEntry = static_cast<int>(types.filters.indexOf(dialog.selectedNameFilter())) + 1;
  if (choice.filterEntry < 1) choice.filterEntry = 1;
  choice.range = group.choice();
  choice.first = group.first->value();
  choice.last = group.last->value();
  return choice;
}

// "画像フォルダの変更": the folder the pages' images are recorded in, and the one they moved to.
std::optional<std::pair<std::string, std::string>> askImageFolder(QWidget* parent,
                                                                  const std::string& oldFolder,
                                                                  const std::string& newFolder) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("画像フォルダの変更"));
  auto* oldEdit = new QLineEdit(QString::fromStdString(oldFolder), &dialog);
  auto* newEdit = new QLineEdit(QString::fromStdString(newFolder), &dialog);
  auto* browse = new QPushButton(QStringLiteral("参照...(&R)"), &dialog);
  auto* oldLabel = new QLabel(QStringLiteral("変更前(&B)"), &dialog);
  auto* newLabel = new QLabel(QStringLiteral("変更後(&A)"), &dialog);
  oldLabel->setBuddy(oldEdit);
  newLabel->setBuddy(newEdit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  auto* grid = new QGridLayout(&dialog);
  grid->addWidget(oldLabel, 0, 0);
  grid->addWidget(oldEdit, 0, 1, 1, 2);
  grid->addWidget(newLabel, 1, 0);
  grid->addWidget(newEdit, 1, 1);
  grid->addWidget(browse, 1, 2);
  grid->addWidget(buttons, 2, 0, 1, 3);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    const QString file = QFileDialog::getOpenFileName(
        &dialog, QString(), newEdit->text(), QStringLiteral("Tiff file (*.tif);;All Files (*)"));
    if (!file.isEmpty()) newEdit->setText(QFileInfo(file).absolutePath() + u'/');
  });
  dialog.resize(480, dialog.sizeHint().height());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return std::pair{oldEdit->text().toStdString(), newEdit->text().toStdString()};
}

}  // namespace

void CMainFrame::buildCommands() {
  dialogs_.imageFolder = [this](const std::string& oldFolder, const std::string& newFolder) {
    return askImageFolder(this, oldFolder, newFolder);
  };
  dialogs_.open = [this](const QString& folder) { return askOpenFile(this, folder); };
  dialogs_.saveAs = [this](const SaveAsChoice& previous) {
    // A document from scans has no name yet: it is offered one beside its first picture.
    const std::string start = doc_->pathName().empty() ? scansSaveName_ : saveAsStart(*doc_);
    return askSaveAs(this, QString::fromStdString(start), previous,
                     doc_->paper() ? static_cast<int>(doc_->paper()->pages.size()) : 0);
  };
  doc_->saveAsRequest = [this] { return onSaveAs(); };
  dialogs_.exportFile = [this](const ExportChoice& previous) {
    const QString start = QFileInfo(QString::fromStdString(doc_->pathName())).path();
    return askExport(this, start, previous,
                     doc_->paper() ? static_cast<int>(doc_->paper()->pages.size()) : 0);
  };
  dialogs_.scans = [this](const QString& folder) { return askScanFiles(this, folder); };
  dialogs_.common = std::make_shared<settings_ui::QtStandardDialogs>();
  dialogs_.settingsFile = [this](const QString& caption, const QString& filter, bool save) {
    const settings_ui::FileRequest request{caption, filter, QStringLiteral("sew")};
    return save ? dialogs_.common->saveFile(this, request)
                : dialogs_.common->openFile(this, request);
  };

  auto add = [this](int id, const char* caption, QKeySequence key, std::function<void()> run) {
    commands_.add({id, QString::fromUtf8(caption), key, std::move(run)});
  };
  using appcore::EditMode;
  using appcore::ImagePane;
  using appcore::TextDisplay;

  // File
  add(IdFileOpen, "開く(&O)...\tCtrl+O", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { onOpen(); });
  add(IdFileSave, "上書き保存(&S)\tCtrl+S", QKeySequence(Qt::CTRL | Qt::Key_S),
      [this] { onSave(); });
  add(IdRecogniseScans, "画像から認識(&G)...", {}, [this] { onRecogniseScans(); });
  add(IdFileSaveAs, "名前を付けて保存(&A)...", {}, [this] { onSaveAs(); });
  add(IdReload, "再読み込み(&R)...", {}, [this] { onReload(); });
  add(IdImageFolder, "画像の保存場所変更(&I)...", {}, [this] { onImageFolder(); });
  add(IdExport, "外部ファイルに保存(&W)...", {}, [this] { onExport(); });
  add(IdSettingsExport, "設定のエクスポート(&S)...", {}, [this] { onSettingsExport(); });
  add(IdSettingsImport, "設定のインポート(&R)...", {}, [this] { onSettingsImport(); });
  for (int i = 0; i <= IdRecentLast - IdRecentFirst; ++i)
    add(IdRecentFirst + i, "", {}, [this, i] { onRecentFile(i); });
  add(IdAppExit, "アプリケーションの終了(&X)", {}, [this] { close(); });

  // Edit. The undo and redo captions name the step (updateUndoCaptions).
  add(IdUndo, "元に戻す(&U)\tCtrl+Z", QKeySequence::Undo, [this] { editing_->undo(); });
  add(IdRedo, "やり直し(&R)\tCtrl+Y", QKeySequence(Qt::CTRL | Qt::Key_Y),
      [this] { editing_->redo(); });
  commands_.action(IdRedo)->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  add(IdBlockEdit, "ブロック編集(&B)", {}, [this] { setEditMode(EditMode::Block); });
  add(IdCharEdit, "文字編集(&M)", {}, [this] { setEditMode(EditMode::Character); });
  add(IdFind, "検索(&F)...\tCtrl+F", QKeySequence(Qt::CTRL | Qt::Key_F),
      [this] { correction_->openFindDialog(editing::FindDialogKind::Find); });
  add(IdReplace, "置換(&R)...\tCtrl+H", QKeySequence(Qt::CTRL | Qt::Key_H),
      [this] { correction_->openFindDialog(editing::FindDialogKind::Replace); });
  add(IdNextReject, "次のリジェクト文字(&N)\tF3", QKeySequence(Qt::Key_F3),
      [this] { correction_->gotoReject(true); });
  // Ctrl+R is the next reject's second key.
  commands_.action(IdNextReject)
      ->setShortcuts({QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_R)});
  add(IdPreviousReject, "前のリジェクト文字(&P)\tShift+F3", QKeySequence(Qt::SHIFT | Qt::Key_F3),
      [this] { correction_->gotoReject(false); });
  add(IdRubyModify, "ルビ修正(&E)", {},
      [this] { textview::runSideLineCommand(blockEditing_->context(), editing::CmdRubyModify); });
  add(IdClearMarks, "修正マーククリア(&S)", {}, [this] { doc_->clearChangeMarks(); });

  // View: display modes. The two forced modes have accelerators but no menu item.
  add(IdForceHorizontal, "", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H),
      [this] { setDisplayMode(TextDisplay::FlowHorizontal, imagePane_); });
  add(IdForceVertical, "", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V),
      [this] { setDisplayMode(TextDisplay::FlowVertical, imagePane_); });
  const int paneIds[] = {IdTextOnly, IdLineImage, IdImageBeside};
  const char* paneCaptions[] = {"テキストのみ(&T)\tAlt+N", "１行画像表示(&I)\tAlt+S",
                                "画像並列表示(&O)\tAlt+M"};
  const Qt::Key paneKeys[] = {Qt::Key_N, Qt::Key_S, Qt::Key_M};
  const ImagePane panes[] = {ImagePane::TextOnly, ImagePane::LineImage, ImagePane::ImageBeside};
  for (int k = 0; k < 3; ++k)
    add(paneIds[k], paneCaptions[k], QKeySequence(Qt::ALT | paneKeys[k]),
        [this, pane = panes[k]] { setDisplayMode(TextDisplay::Layout, pane); });

  // View: arrangements. Ctrl+Y is redo's, as in every editor: side by side keeps its menu item
  // and toolbar button.
  add(IdSideBySide, "横並び(&H)", {}, [this] { chooseArrangement(SideBySide); });
  add(IdStacked, "縦並び(&V)\tCtrl+T", QKeySequence(Qt::CTRL | Qt::Key_T),
      [this] { chooseArrangement(Stacked); });
  add(IdFullSize, "全面(&A)\tCtrl+W", QKeySequence(Qt::CTRL | Qt::Key_W),
      [this] { chooseArrangement(FullSize); });
  add(IdBlockNumbers, "ブロック番号表示(&B)", {}, [this] {
    context_.frame.showBlockNumbers = context_.frame.showBlockNumbers ? 0 : 1;
    displayChanged();
  });

  // View: text colour modes, a radio group.
  const char* colourCaptions[] = {"通常表示(&N)", "編集行強調(&E)", "文字種別(&S)",
                                  "登録文字強調(&R)"};
  for (int mode = 0; mode < 4; ++mode)
    add(IdColourNormal + mode, colourCaptions[mode], {}, [this, mode] {
      context_.frame.textColourMode = mode;
      displayChanged();
    });

  // View: scales, the ten steps and the two that follow the view.
  for (int id = IdZoom10; id <= IdZoom100; ++id) {
    const int tenths = id - IdZoom10 + 1;
    const int digit = tenths % 10;
    commands_.add({id, QStringLiteral("%1%(&%2)\tCtrl+%2").arg(tenths * 10).arg(digit),
                   QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + digit)),
                   [this, id] { chooseZoomStep(id); }});
  }
  add(IdZoomFitWidth, "幅に合わせる(&W)", {}, [this] { chooseZoomFit(appcore::ZoomFit::Width); });
  add(IdZoomFitPage, "ページ全体(&P)", {}, [this] { chooseZoomFit(appcore::ZoomFit::Page); });
  add(IdNextPage, "次のページへ(&N)\tCtrl+PgDown", QKeySequence(Qt::CTRL | Qt::Key_PageDown),
      [this] { doc_->nextPage(); });
  add(IdPreviousPage, "前のページへ(&P)\tCtrl+PgUp", QKeySequence(Qt::CTRL | Qt::Key_PageUp),
      [this] { doc_->previousPage(); });

  // Analysis and tools
  add(IdReComposeAll, "全ページ再構成(&A)", {}, [this] { doc_->reComposeAllPages(); });
  add(IdReComposePage, "現ページ再構成(&C)", {}, [this] { editing_->reComposeCurrentPage(); });
  add(IdSettingsSheet, "環境設定(&K)...", {}, [this] { onSettingsSheet(); });

  // Recognition
  add(IdRecognisePage, "このページを再認識(&P)", {}, [this] { onRecognisePages(false); });
  add(IdRecogniseAll, "すべてのページを再認識(&A)", {}, [this] { onRecognisePages(true); });

  // Help
  add(IdManual, "ユーザーズマニュアル(&M)...\tF1", QKeySequence(Qt::Key_F1), [this] { onManual(); });
  add(IdAppAbout, "バージョン情報(&A)...", {}, [this] { onAbout(); });
}

void CMainFrame::buildMenus() {
  auto item = [this](QMenu* menu, int id) { menu->addAction(commands_.action(id)); };
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  for (int id : {IdFileOpen, IdRecogniseScans, IdFileSave, IdFileSaveAs, IdReload}) item(file, id);
  file->addSeparator();
  item(file, IdImageFolder);
  item(file, IdExport);
  file->addSeparator();
  item(file, IdSettingsExport);
  item(file, IdSettingsImport);
  file->addSeparator();
  for (int id = IdRecentFirst; id <= IdRecentLast; ++id) item(file, id);
  file->addSeparator();
  item(file, IdAppExit);
  refreshRecentFiles();

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  item(edit, IdUndo);
  item(edit, IdRedo);
  edit->addSeparator();
  item(edit, IdBlockEdit);
  item(edit, IdCharEdit);
  edit->addSeparator();
  for (int id : {IdFind, IdReplace, IdNextReject, IdPreviousReject}) item(edit, id);
  item(edit, IdRubyModify);
  edit->addSeparator();
  item(edit, IdClearMarks);

  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  for (int id : {IdTextOnly, IdLineImage, IdImageBeside}) item(view, id);
  view->addSeparator();
  for (int id : {IdSideBySide, IdStacked, IdFullSize}) item(view, id);
  view->addSeparator();
  QMenu* zoom = view->addMenu(QStringLiteral("表示倍率(&Z)"));
  for (int id = IdZoom10; id <= IdZoom100; ++id) item(zoom, id);
  zoom->addSeparator();
  item(zoom, IdZoomFitWidth);
  item(zoom, IdZoomFitPage);
  item(view, IdBlockNumbers);
  QMenu* colours = view->addMenu(QStringLiteral("文字色分け表示(&D)"));
  for (int id = IdColourNormal; id <= IdColourRegistered; ++id) item(colours, id);
  view->addSeparator();
  item(view, IdNextPage);
  item(view, IdPreviousPage);
  // Shortcut-only commands still need an action in the window.
  addAction(commands_.action(IdForceHorizontal));
  addAction(commands_.action(IdForceVertical));

  QMenu* analysis = menuBar()->addMenu(QStringLiteral("解析(&A)"));
  item(analysis, IdReComposeAll);
  item(analysis, IdReComposePage);

  QMenu* recognition = menuBar()->addMenu(QStringLiteral("認識(&R)"));
  item(recognition, IdRecognisePage);
  item(recognition, IdRecogniseAll);

  QMenu* tools = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
  item(tools, IdSettingsSheet);

  QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  item(help, IdManual);
  help->addSeparator();
  item(help, IdAppAbout);
}

void CMainFrame::buildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("標準"));
  bar->setObjectName("toolBar");
  for (int id : {IdFileOpen, IdFileSave}) bar->addAction(commands_.action(id));
  bar->addSeparator();
  for (int id = IdColourNormal; id <= IdColourRegistered; ++id)
    bar->addAction(commands_.action(id));
  bar->addSeparator();
  for (int id : {IdBlockEdit, IdCharEdit}) bar->addAction(commands_.action(id));
  bar->addSeparator();
  for (int id : {IdSideBySide, IdStacked, IdFullSize}) bar->addAction(commands_.action(id));
  bar->addSeparator();
  for (int id : {IdTextOnly, IdLineImage, IdImageBeside}) bar->addAction(commands_.action(id));
  bar->addSeparator();
  for (int id : {IdSettingsSheet, IdReComposeAll, IdReComposePage})
    bar->addAction(commands_.action(id));
}

void CMainFrame::onOpen() {
  const QString folder = QString::fromStdString(context_.app.xmlFolder);
  const auto choice = dialogs_.open(folder);
  if (!choice) return;
  if (const auto refusal = document::CScrivlaDoc::openDialogRefusal(choice->path)) {
    context_.prompter.message(*refusal, appcore::kAppTitle);
    return;
  }
  doc_->open(choice->path, choice->append);
}

void CMainFrame::onSave() {
  // A document without a name, or read from another format, is saved under a new name.
  doc_->save();
}

bool CMainFrame::onSaveAs() {
  // The document judges the choice; a refused range or a declined long save asks again.
  for (;;) {
    const auto choice = dialogs_.saveAs(lastSaveAs_);
    if (!choice) return false;
    lastSaveAs_ = *choice;
    const auto result = doc_->saveAs(choice->path, choice->range, choice->first, choice->last);
    if (result == document::SaveAsResult::StayInDialog) continue;
    return result == document::SaveAsResult::Saved;
  }
}

static_assert(static_cast<int>(document::SaveChoice::CurrentPage) ==
                  static_cast<int>(exporting::RangeChoice::CurrentPage) &&
              static_cast<int>(document::SaveChoice::Range) ==
                  static_cast<int>(exporting::RangeChoice::PageRange));

void CMainFrame::onExport() {
  const int count = static_cast<int>(doc_->paper()->pages.size());
  ExportChoice previous = lastExport_;
  previous.filterEntry = exporting::initialFilterEntry(context_.frame.exportKind);
  previous.range = lastSaveAs_.range;  // one range choice for saving and exporting
  // A refused range, or a long export the user declines, shows the dialog again as it was left.
  std::optional<ExportChoice> choice;
  for (;;) {
    choice = dialogs_.exportFile(previous);
    if (!choice) return;
    previous = *choice;
    const auto range = static_cast<exporting::RangeChoice>(choice->range);
    if (exporting::rangeRefused(range, choice->first, choice->last, count)) {
      context_.prompter.message(exporting::kRangeRefusal, appcore::kAppTitle);
      continue;
    }
    if (const auto question =
            exporting::longExportQuestion(range, choice->first, choice->last, count);
        question &&
        context_.prompter.ask(*question, appcore::kAppTitle, appcore::Buttons::YesNo,
                              appcore::Answer::No, appcore::Icon::Question) != appcore::Answer::Yes)
      continue;
    break;
  }
  lastExport_ = *choice;
  lastSaveAs_.range = choice->range;
  const auto range = static_cast<exporting::RangeChoice>(choice->range);
  const auto [dialogFirst, dialogLast] = exporting::dialogRange(range, choice->first, choice->last);
  const auto [first, last] =
      exporting::exportRange(dialogFirst, dialogLast, count, doc_->currentPage());
  exporting::ExportRequest request{
      choice->path, exporting::exportKindFor(choice->path, choice->filterEntry), first, last};
  document::exportDocument(*doc_, request, context_.frame, context_.prompter, context_.progress);
  context_.frame.exportKind = request.kind;
}

void CMainFrame::onRecentFile(int index) {
  if (static_cast<size_t>(index) >= recent_.paths().size()) return;
  const std::string path = recent_.paths()[index];
  // A file that is gone leaves the list; a declined save question or an unreadable file keeps it.
  std::error_code ec;
  if (!openFile(path) && !std::filesystem::is_regular_file(path, ec)) {
    recent_.remove(index);
    refreshRecentFiles();
  }
}

void CMainFrame::addRecentFile(const std::string& path) {
  recent_.add(path);
  refreshRecentFiles();
}

void CMainFrame::refreshRecentFiles() {
  const auto& paths = recent_.paths();
  for (int i = 0; i <= IdRecentLast - IdRecentFirst; ++i) {
    QAction* action = commands_.action(IdRecentFirst + i);
    const bool used = static_cast<size_t>(i) < paths.size();
    action->setVisible(used);
    if (used) action->setText(QString::fromStdString(appcore::recentFileCaption(i, paths[i])));
  }
  commands_.refresh();
}

void CMainFrame::onReload() { doc_->reload(); }

void CMainFrame::onImageFolder() {
  const auto [oldFolder, newFolder] = doc_->imageFolderDefaults();
  const auto chosen = dialogs_.imageFolder(oldFolder, newFolder);
  if (!chosen || chosen->first.empty() || chosen->second.empty()) return;
  doc_->changeImageFolder(chosen->first, chosen->second);
}

void CMainFrame::onSettingsExport() {
  const auto request = settings_ui::settingsFileRequest(true);
  const auto path = dialogs_.settingsFile(request.caption, request.filter, true);
  if (!path) return;
  settings_ui::exportSettingsFile(*path, context_.app, context_.frame, context_.prompter);
}

void CMainFrame::onSettingsImport() {
  const auto request = settings_ui::settingsFileRequest(false);
  const auto path = dialogs_.settingsFile(request.caption, request.filter, false);
  if (!path) return;
  if (!settings_ui::importSettingsFile(*path, context_.app, context_.frame, context_.prompter))
    return;
  // The imported values are in force at once: the views draw from them again.
  displayChanged();
}

void CMainFrame::onSettingsSheet() {
  settings_ui::CSetting sheet(
      settings_ui::SheetHost{context_.app, context_.frame, *context_.registered,
                             *context_.explanations, context_.prompter, *dialogs_.common,
                             [this] { displayChanged(); }, [this] { placeLineImageAgain(); }},
      this);
  sheet.exec();
}

void CMainFrame::onManual() {
  // The manual installed with the program, found beside it as its other files are.
  const std::string index = model::dataFile(model::kManualIndex);
  if (index.empty()) {
    context_.prompter.message("ユーザーズマニュアルが見つかりません。\n" + model::dataFolder() + "/" +
                                  model::kManualIndex,
                              appcore::kAppTitle);
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(index))))
    context_.prompter.message("ユーザーズマニュアルを開けませんでした。\n"
                              "Webブラウザがインストールされているか確認してください。\n" +
                                  index,
                              appcore::kAppTitle);
}

void CMainFrame::onAbout() {
  context_.prompter.message(std::string(appcore::kAppTitle) + "\nバージョン " +
                                model::programVersion(),
                            appcore::kAppTitle, appcore::Icon::Information);
}

}  // namespace vellary::app
