// The two character table pages: registered characters ("登録文字テーブル") and candidate
// explanations ("候補文字の読みテーブル").
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "settings_ui/pages.h"

namespace vellary::settings_ui {

namespace {

constexpr char kCsvFilter[] = "csv file (*.csv)|*.csv|All Files (*.*)|*.*||";
constexpr char kExplainFilter[] = "候補文字読みテーブル (*.txt)|*.txt|All Files (*.*)|*.*||";

QString toQString(const std::u16string& s) { return QString::fromStdU16String(s); }

}  // namespace

TablePage::TablePage(SheetHost& host, appcore::CharTable& table, const Captions& captions,
                     QWidget* parent)
    : SheetPage(host, parent), table_(table) {
  fileName_ = new QLineEdit(QString::fromStdString(table.fileName), this);
  fileName_->setObjectName("tableFile");
  fileName_->setReadOnly(true);
  auto* fileLabel = new QLabel(QStringLiteral("テーブルファイル名"), this);
  fileLabel->setBuddy(fileName_);

  list_ = new QTreeWidget(this);
  list_->setObjectName("pairs");
  list_->setColumnCount(2);
  list_->setHeaderLabels(
      {QString::fromUtf8(captions.columns[0]), QString::fromUtf8(captions.columns[1])});
  list_->setRootIsDecorated(false);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->header()->setSectionResizeMode(QHeaderView::Stretch);

  // A blank, a tab (and in the registered table a comma) separates the words in the table's
  // file: a word holding one would not read back as it was written.
  const QString allowed = table.kind() == appcore::CharTable::Kind::Registered
                              ? QStringLiteral("[^ ,\\t]*")
                              : QStringLiteral("[^ \\t]*");
  first_ = new QLineEdit(this);
  first_->setObjectName("firstWord");
  second_ = new QLineEdit(this);
  second_->setObjectName("secondWord");
  for (QLineEdit* e : {first_, second_})
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(allowed), e));
  auto* firstLabel = new QLabel(QString::fromUtf8(captions.fields[0]), this);
  firstLabel->setBuddy(first_);
  auto* secondLabel = new QLabel(QString::fromUtf8(captions.fields[1]), this);
  secondLabel->setBuddy(second_);

  add_ = new QPushButton(QStringLiteral("登録(&A)"), this);
  add_->setObjectName("add");
  delete_ = new QPushButton(QStringLiteral("削除(&D)"), this);
  delete_->setObjectName("delete");
  load_ = new QPushButton(QString::fromUtf8(captions.loadButton), this);
  load_->setObjectName("load");

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileLabel);
  fileRow->addWidget(fileName_, 1);
  auto* fields = new QGridLayout;
  fields->addWidget(firstLabel, 0, 0);
  fields->addWidget(first_, 0, 1);
  fields->addWidget(secondLabel, 1, 0);
  fields->addWidget(second_, 1, 1);
  fields->addWidget(add_, 0, 2);
  fields->addWidget(delete_, 1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fileRow);
  layout->addWidget(list_, 1);
  layout->addLayout(fields);

  fillList();
  connect(first_, &QLineEdit::textChanged, this, [this] { updateButtons(); });
  connect(second_, &QLineEdit::textChanged, this, [this] { updateButtons(); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { updateButtons(); });
  connect(add_, &QPushButton::clicked, this, [this] { add(); });
  first_->installEventFilter(this);
  second_->installEventFilter(this);
  connect(delete_, &QPushButton::clicked, this, [this] { deleteSelected(); });
  connect(load_, &QPushButton::clicked, this, [this] { load(); });
  updateButtons();
}

bool TablePage::eventFilter(QObject* watched, QEvent* event) {
  // Enter in a field registers, as the button would, and does not close the sheet; with the
  // button disabled the page says what is missing.
  if ((watched == first_ || watched == second_) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      add();
      return true;
    }
  }
  return SheetPage::eventFilter(watched, event);
}

QString TablePage::fileNameShown() const { return fileName_->text(); }

void TablePage::fillList() {
  list_->clear();
  for (const appcore::TextPair& p : table_.pairs)
    new QTreeWidgetItem(list_, {toQString(p.first), toQString(p.second)});
  changed_ = false;
  updateButtons();
}

void TablePage::appendRow(const QString& first, const QString& second) {
  auto* item = new QTreeWidgetItem(list_, {first, second});
  list_->scrollToItem(item);
  changed_ = true;
}

void TablePage::deleteSelected() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  delete selected.front();
  changed_ = true;
  updateButtons();
}

void TablePage::copyIntoTable(bool markModified) {
  std::vector<appcore::TextPair> pairs;
  pairs.reserve(static_cast<size_t>(list_->topLevelItemCount()));
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list_->topLevelItem(i);
    pairs.push_back({item->text(0).toStdU16String(), item->text(1).toStdU16String()});
  }
  table_.pairs = std::move(pairs);
  if (markModified && changed_) table_.modified = 1;
}

void TablePage::updateButtons() {
  add_->setEnabled(!first_->text().isEmpty());
  delete_->setEnabled(!list_->selectedItems().isEmpty());
}

// --- 登録文字テーブル -----------------------------------------------------------------------

CPropRegistTbl::CPropRegistTbl(SheetHost& host, QWidget* parent)
    : TablePage(host, host.registered,
                {{"検索語", "置換語"}, {"登録文字(&C)", "置換文字(&R)"}, "読込み(&L)..."}, parent) {
  save_ = new QPushButton(QStringLiteral("保存(&S)..."), this);
  save_->setObjectName("save");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(load_);
  buttons->addWidget(save_);
  static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
  connect(save_, &QPushButton::clicked, this, [this] { save(); });
  // Choosing a row offers its words for editing.
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return;
    first_->setText(selected.front()->text(0));
    second_->setText(selected.front()->text(1));
  });
}

void CPropRegistTbl::add() {
  if (first_->text().isEmpty()) {
    host_.prompter.message("追加する登録文字を入力してください。", appcore::kAppTitle);
    return;
  }
  appendRow(first_->text(), second_->text());
  first_->clear();
  second_->clear();
}

void CPropRegistTbl::load() {
  const auto path =
      host_.dialogs.openFile(this, {QStringLiteral("登録文字テーブルの読込み"),
                                    QString::fromUtf8(kCsvFilter), QStringLiteral("csv")});
  if (!path) return;
  copyIntoTable();
  // When the edits cannot be saved they stay in the list rather than being replaced.
  if (!table_.saveIfModified(host_.prompter)) return;
  changed_ = false;
  if (table_.load(*path, host_.prompter) > 0) {
    fillList();
    table_.fileName = *path;
    // The setting follows, so that the next start reads the table the user chose.
    host_.app.registTableName = *path;
    fileName_->setText(QString::fromStdString(*path));
  }
}

void CPropRegistTbl::save() {
  const auto path =
      host_.dialogs.saveFile(this, {QStringLiteral("登録文字テーブルの保存"),
                                    QString::fromUtf8(kCsvFilter), QStringLiteral("csv")});
  if (!path) return;
  copyIntoTable();
  table_.save(*path, host_.prompter);
}

// --- 候補文字の読みテーブル -----------------------------------------------------------------

CPropMojiExp::CPropMojiExp(SheetHost& host, QWidget* parent)
    : TablePage(host, host.explanations,
                {{"文字", "説明"}, {"表示文字(&C)", "説明(&R)"}, "変更(&L)..."}, parent) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(load_);
  static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
  updateButtons();
}

void CPropMojiExp::updateButtons() {
  add_->setEnabled(!first_->text().isEmpty() && !second_->text().isEmpty());
  delete_->setEnabled(!list_->selectedItems().isEmpty());
}

void CPropMojiExp::add() {
  // One character: one UTF-16 unit or a surrogate pair.
  if (first_->text().toUcs4().size() > 1) {
    host_.prompter.message("登録できる候補文字は１文字です", appcore::kAppTitle);
    return;
  }
  if (first_->text().isEmpty() || second_->text().isEmpty()) return;
  appendRow(first_->text(), second_->text());
}

void CPropMojiExp::load() {
  const auto path =
      host_.dialogs.openFile(this, {QStringLiteral("候補文字読みテーブルの変更"),
                                    QString::fromUtf8(kExplainFilter), QStringLiteral("txt")});
  if (!path) return;
  copyIntoTable(false);
  if (changed_) {
    const appcore::Answer answer = host_.prompter.ask(
        "読みテーブルは変更されてますが、保存しますか?", appcore::kAppTitle,
        appcore::Buttons::YesNoCancel, appcore::Answer::Yes, appcore::Icon::Question);
    if (answer == appcore::Answer::Cancel) return;
    // A failed save keeps the edits in the list.
    if (answer == appcore::Answer::Yes) {
      if (table_.save(table_.fileName, host_.prompter) != 0) return;
      table_.modified = 0;
    }
    // Declined edits are not saved at exit either.
    changed_ = false;
  }
  if (table_.load(*path, host_.prompter) > 0) fillList();
}

}  // namespace vellary::settings_ui
