// The display pages: class colours and fonts ("文字種別表示色/フォント設定"), the six display fonts
// ("フォント") and the text view's colours, one-line image place and reject display
// ("表示テキスト情報").
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "settings_ui/pages.h"
#include "settings_ui/palette.h"

namespace vellary::settings_ui {

namespace {

constexpr int kSamplePixels = 16;

QPushButton* button(const char* caption, QWidget* parent, const char* name) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

// A font made from a stored name; the font system's substitutions find an installed face.
QFont fontOfStoredName(const std::string& stored) {
  QString face = QString::fromStdString(stored);
  if (face.startsWith(u'@')) face.remove(0, 1);
  QFont font;
  if (!face.isEmpty()) font.setFamily(face);
  font.setPixelSize(kSamplePixels);
  return font;
}

// The font dialog opens on the face that is really used for a stored name, which is what it lists.
QFont dialogSeed(const std::string& stored) {
  QFont font = fontOfStoredName(stored);
  font.setFamily(QFontInfo(font).family());
  return font;
}

}  // namespace

// --- 文字種別表示色/フォント設定 ------------------------------------------------------------

CPropMojiDisp::CPropMojiDisp(SheetHost& host, QWidget* parent)
    : SheetPage(host, parent),
      colours_(host.frame.classColours),
      user_(host.frame.userColours),
      fonts_(host.frame.classFonts) {
  classes_ = new QListWidget(this);
  classes_->setObjectName("classes");
  for (int c : listedClasses()) {
    auto* item = new QListWidgetItem(className(c), classes_);
    item->setData(Qt::UserRole, c);
  }
  auto* classesLabel = new QLabel(QStringLiteral("文字種(&M)"), this);
  classesLabel->setBuddy(classes_);

  // The control codes have their colours and fonts too, but the page does not offer them.
  controls_ = new QListWidget(this);
  controls_->setObjectName("controlCodes");
  for (int c : {13, 14}) {
    auto* item = new QListWidgetItem(className(c), controls_);
    item->setData(Qt::UserRole, c);
  }
  auto* controlsLabel = new QLabel(QStringLiteral("制御コード(&T)"), this);
  controlsLabel->setBuddy(controls_);
  controls_->hide();
  controlsLabel->hide();

  swatchGroup_ = new QButtonGroup(this);
  swatchGroup_->setExclusive(true);
  auto swatchBox = [this](const char* caption, int first) {
    auto* box = new QGroupBox(QString::fromUtf8(caption), this);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(2);
    for (int i = 0; i < 16; ++i) {
      auto* s = new ColourSwatch(box);
      s->setObjectName(QStringLiteral("swatch%1").arg(first + i));
      swatches_[static_cast<size_t>(first + i)] = s;
      swatchGroup_->addButton(s, first + i);
      grid->addWidget(s, i / 8, i % 8);
    }
    return box;
  };
  QGroupBox* basic = swatchBox("基本色", 0);
  QGroupBox* user = swatchBox("作成した色", kBasicColourCount);
  for (int i = 0; i < kPaletteSize; ++i)
    swatches_[static_cast<size_t>(i)]->setColour(paletteColour(i, user_));

  auto* define = button("文字の色設定(&S)...", this, "defineColour");
  auto* font = button("フォント設定(&F)...", this, "classFont");
  auto* reset = button("すべて基本色に戻す(&R)", this, "resetColours");

  sample_ = new SampleFrame(this);
  sample_->setObjectName("classSample");
  sample_->setMinimumHeight(44);

  auto* left = new QVBoxLayout;
  left->addWidget(classesLabel);
  left->addWidget(classes_);
  left->addWidget(controlsLabel);
  left->addWidget(controls_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(define);
  buttons->addWidget(font);
  buttons->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(basic);
  right->addWidget(user);
  right->addLayout(buttons);
  right->addWidget(reset, 0, Qt::AlignLeft);
  right->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(left, 2);
  top->addLayout(right, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(sample_);

  connect(classes_, &QListWidget::currentRowChanged, this, [this] { showSelection(); });
  connect(swatchGroup_, &QButtonGroup::idClicked, this, &CPropMojiDisp::chooseIndex);
  connect(define, &QPushButton::clicked, this, &CPropMojiDisp::defineUserColour);
  connect(font, &QPushButton::clicked, this, &CPropMojiDisp::chooseFont);
  connect(reset, &QPushButton::clicked, this, &CPropMojiDisp::resetColours);
  classes_->setCurrentRow(0);
}

int CPropMojiDisp::selectedClass() const {
  const QListWidgetItem* item = classes_->currentItem();
  return item ? item->data(Qt::UserRole).toInt() : -1;
}

void CPropMojiDisp::selectClass(int charClass) {
  for (int row = 0; row < classes_->count(); ++row)
    if (classes_->item(row)->data(Qt::UserRole).toInt() == charClass) classes_->setCurrentRow(row);
}

void CPropMojiDisp::showSelection() {
  const int c = selectedClass();
  if (c < 0) return;
  const int index = colours_[static_cast<size_t>(c)];
  // A stored index outside the palette leaves every swatch unchecked.
  swatchGroup_->setExclusive(false);
  for (int i = 0; i < kPaletteSize; ++i) swatches_[static_cast<size_t>(i)]->setChecked(i == index);
  swatchGroup_->setExclusive(true);
  sample_->setSample(QStringLiteral("--選択された文字種の現在の色とフォント--"),
                     paletteColour(index, user_), Qt::white,
                     fontOfStoredName(fonts_[static_cast<size_t>(c)]));
}

void CPropMojiDisp::chooseIndex(int index) {
  const int c = selectedClass();
  if (c < 0) return;
  colours_[static_cast<size_t>(c)] = index;
  showSelection();
}

void CPropMojiDisp::defineUserColour() {
  const int c = selectedClass();
  if (c < 0) return;
  CustomColours custom;
  for (size_t i = 0; i < custom.size(); ++i) custom[i] = colourFromRef(user_[i]);
  const int current = colours_[static_cast<size_t>(c)];
  const auto chosen = host_.dialogs.colour(this, paletteColour(current, user_), custom);
  for (size_t i = 0; i < custom.size(); ++i) user_[i] = refFromColour(custom[i]);
  if (chosen) {
    // A colour the palette holds already is chosen by its entry. Otherwise it becomes the user
    // colour the class has, or the first user colour no class uses (the first of all when every
    // one is taken).
    const uint32_t ref = refFromColour(*chosen);
    int index = -1;
    for (int i = 0; i < kPaletteSize && index < 0; ++i)
      if (refFromColour(paletteColour(i, user_)) == ref) index = i;
    if (index < 0) {
      if (current >= kBasicColourCount && current < kPaletteSize) {
        index = current;
      } else {
        index = kBasicColourCount;
        for (int i = kBasicColourCount; i < kPaletteSize; ++i)
          if (std::find(colours_.begin(), colours_.end(), i) == colours_.end()) {
            index = i;
            break;
          }
      }
      user_[static_cast<size_t>(index - kBasicColourCount)] = ref;
    }
    colours_[static_cast<size_t>(c)] = index;
  }
  for (int i = kBasicColourCount; i < kPaletteSize; ++i)
    swatches_[static_cast<size_t>(i)]->setColour(paletteColour(i, user_));
  showSelection();
}

void CPropMojiDisp::chooseFont() {
  const int c = selectedClass();
  if (c < 0) return;
  std::string& stored = fonts_[static_cast<size_t>(c)];
  if (const auto chosen = host_.dialogs.font(this, dialogSeed(stored)))
    stored = chosen->family().toStdString();
  showSelection();
}

void CPropMojiDisp::resetColours() {
  colours_ = appcore::FrameSettings().classColours;
  showSelection();
}

void CPropMojiDisp::apply() {
  host_.frame.classColours = colours_;
  host_.frame.userColours = user_;
  host_.frame.classFonts = fonts_;
}

// --- フォント ------------------------------------------------------------------------------

namespace {

struct FontRow {
  const char* caption;
  const char* name;
  const char* sample;
  std::string appcore::AppSettings::*face;
};

const FontRow kFontRows[] = {
    {"日本語フォント(&J)...", "japaneseFont", "あいうえおアイウ安以宇",
     &appcore::AppSettings::japaneseFont},
    {"日本語縦書きフォント(&V)...", "japaneseVerticalFont", "あいうえおアイウ安以宇",
     &appcore::AppSettings::japaneseVerticalFont},
    {"欧文フォント(&E)...", "latinFont", "ABCDEabcde12345", &appcore::AppSettings::latinFont},
    {"簡体字フォント(&C)...", "simplifiedChineseFont", "ABCDEabcd12345",
     &appcore::AppSettings::simplifiedChineseFont},
    {"繁体字フォント(&T)...", "traditionalChineseFont", "ABCDEabcde12345",
     &appcore::AppSettings::traditionalChineseFont},
    {"ハングルフォント(&H)...", "hangulFont", "ABCDEabcde12345", &appcore::AppSettings::hangulFont},
};

}  // namespace

CPropPageFont::CPropPageFont(SheetHost& host, QWidget* parent) : SheetPage(host, parent) {
  auto* grid = new QGridLayout(this);
  for (int i = 0; i < 6; ++i) {
    const FontRow& row = kFontRows[i];
    faces_[static_cast<size_t>(i)] = host_.app.*row.face;
    auto* b = button(row.caption, this, row.name);
    auto* sample = new SampleFrame(this);
    sample->setObjectName(QString::fromLatin1(row.name) + QStringLiteral("Sample"));
    samples_[static_cast<size_t>(i)] = sample;
    if (i == JapaneseVertical) {
      // The turned sample needs the height of its line's length.
      sample->setMinimumSize(44, 200);
      grid->addWidget(b, i, 0, Qt::AlignTop);
      grid->addWidget(sample, i, 1, Qt::AlignLeft);
    } else {
      sample->setMinimumSize(260, 40);
      grid->addWidget(b, i, 0);
      grid->addWidget(sample, i, 1);
    }
    const auto which = static_cast<Which>(i);
    connect(b, &QPushButton::clicked, this, [this, which] { chooseFont(which); });
    showSample(which);
  }
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(6, 1);
}

void CPropPageFont::showSample(Which which) {
  const std::string& face = faces_[which];
  QFont font = fontOfStoredName(face);
  font.setPixelSize(18);
  samples_[which]->setSample(QString::fromUtf8(kFontRows[which].sample), Qt::black, Qt::white, font,
                             which == JapaneseVertical);
  samples_[which]->setToolTip(QString::fromStdString(face));
}

void CPropPageFont::chooseFont(Which which) {
  std::string& face = faces_[which];
  const auto chosen = host_.dialogs.font(this, dialogSeed(face));
  if (!chosen) return;
  // The vertical font keeps the "@" of a vertical face name, as its default "@ＭＳ 明朝" has.
  face = (which == JapaneseVertical ? "@" : "") + chosen->family().toStdString();
  showSample(which);
}

void CPropPageFont::apply() {
  for (int i = 0; i < 6; ++i) host_.app.*kFontRows[i].face = faces_[static_cast<size_t>(i)];
}

// --- 表示テキスト情報 -----------------------------------------------------------------------

namespace {

// The offsets offered for the one-line image, in pixels; the stored value is the entry's index
// (an index outside the list stands for 10).
const char* const kOffsets[] = {"0", "5", "10", "15", "20", "30"};
constexpr int kOffsetOtherIndex = 2;

}  // namespace

CPropPageTextInfo::CPropPageTextInfo(SheetHost& host, QWidget* parent) : SheetPage(host, parent) {
  const appcore::FrameSettings& f = host_.frame;
  custom_.fill(Qt::white);
  colours_ = {static_cast<uint32_t>(f.editLineColour), static_cast<uint32_t>(f.nonEditLineColour),
              static_cast<uint32_t>(f.textBackground), static_cast<uint32_t>(f.changedColour)};

  auto* colourBox = new QGroupBox(QStringLiteral("テキスト表示色"), this);
  auto* colourGrid = new QGridLayout(colourBox);
  const struct {
    ColourSlot slot;
    const char* caption;
    const char* name;
  } colourRows[] = {{EditLine, "編集行の表示色(&A)...", "editLineColour"},
                    {NonEditLine, "非編集行の表示色(&N)...", "nonEditLineColour"},
                    {Background, "背景色設定(&S)...", "backgroundColour"},
                    {Changed, "修正文字色設定(&T)...", "changedColour"}};
  for (int row = 0; row < 4; ++row) {
    const auto& r = colourRows[row];
    auto* b = button(r.caption, colourBox, r.name);
    auto* sample = new SampleFrame(colourBox);
    sample->setObjectName(QString::fromLatin1(r.name) + QStringLiteral("Sample"));
    sample->setMinimumWidth(220);
    samples_[r.slot] = sample;
    colourGrid->addWidget(b, row, 0);
    colourGrid->addWidget(sample, row, 1);
    const ColourSlot slot = r.slot;
    connect(b, &QPushButton::clicked, this, [this, slot] { chooseColour(slot); });
    showColour(slot);
  }
  showChanged_ = new QCheckBox(QStringLiteral("修正した文字を色換え表示する(&E)"), colourBox);
  showChanged_->setObjectName("showChanged");
  showChanged_->setChecked(f.showChanged != 0);
  colourGrid->addWidget(showChanged_, 4, 0, 1, 2);
  colourGrid->setColumnStretch(1, 1);

  auto* imageBox = new QGroupBox(QStringLiteral("１行画像表示"), this);
  auto* horizontal = new QGroupBox(QStringLiteral("横書き"), imageBox);
  below_ = new QRadioButton(QStringLiteral("テキストの下に表示(&B)"), horizontal);
  below_->setObjectName("below");
  above_ = new QRadioButton(QStringLiteral("テキストの上に表示(&U)"), horizontal);
  above_->setObjectName("above");
  (f.horizontalLineImagePos == 1 ? above_ : below_)->setChecked(true);
  auto* hLayout = new QVBoxLayout(horizontal);
  hLayout->addWidget(below_);
  hLayout->addWidget(above_);
  auto* vertical = new QGroupBox(QStringLiteral("縦書き"), imageBox);
  left_ = new QRadioButton(QStringLiteral("テキストの左に表示(&L)"), vertical);
  left_->setObjectName("left");
  right_ = new QRadioButton(QStringLiteral("テキストの右に表示(&R)"), vertical);
  right_->setObjectName("right");
  (f.verticalLineImagePos == 1 ? right_ : left_)->setChecked(true);
  auto* vLayout = new QVBoxLayout(vertical);
  vLayout->addWidget(left_);
  vLayout->addWidget(right_);
  offset_ = new QComboBox(imageBox);
  offset_->setObjectName("lineImageOffset");
  for (const char* o : kOffsets) offset_->addItem(QString::fromLatin1(o));
  offset_->setCurrentIndex(f.lineImageOffset >= 0 && f.lineImageOffset < offset_->count()
                               ? f.lineImageOffset
                               : kOffsetOtherIndex);
  auto* offsetLabel =
      new QLabel(QStringLiteral("画像表示位置（テキスト行からのオフセット）"), imageBox);
  offsetLabel->setBuddy(offset_);
  auto* imageGrid = new QGridLayout(imageBox);
  imageGrid->addWidget(horizontal, 0, 0);
  imageGrid->addWidget(vertical, 0, 1);
  imageGrid->addWidget(offsetLabel, 1, 0);
  auto* offsetRow = new QHBoxLayout;
  offsetRow->addWidget(offset_);
  offsetRow->addWidget(new QLabel(QStringLiteral("ピクセル"), imageBox));
  offsetRow->addStretch();
  imageGrid->addLayout(offsetRow, 1, 1);
  imageGrid->setColumnStretch(0, 1);
  imageGrid->setColumnStretch(1, 1);

  auto* rejectBox = new QGroupBox(QStringLiteral("リジェクト文字"), this);
  level_ = new QSlider(Qt::Horizontal, rejectBox);
  level_->setObjectName("rejectLevel");
  level_->setRange(1, 9);
  level_->setPageStep(1);
  level_->setTickPosition(QSlider::TicksBelow);
  level_->setTickInterval(1);
  const int level = f.rejectLevel >= 1 && f.rejectLevel <= 9 ? f.rejectLevel : 2;
  level_->setValue(level);
  levelEdit_ = new QLineEdit(QString::number(level), rejectBox);
  levelEdit_->setObjectName("rejectLevelEdit");
  levelEdit_->setMaximumWidth(48);
  auto* levelLabel = new QLabel(QStringLiteral("レベル値(&V)"), rejectBox);
  levelLabel->setBuddy(levelEdit_);
  rejectRecolour_ = new QCheckBox(QStringLiteral("リジェクト文字を色換え表示する(&C)"), rejectBox);
  rejectRecolour_->setObjectName("rejectRecolour");
  rejectRecolour_->setChecked(f.rejectRecolour != 0);
  rejectShowChar_ =
      new QCheckBox(QStringLiteral("リジェクト文字を「〓」で表示する(&M)"), rejectBox);
  rejectShowChar_->setObjectName("rejectShowChar");
  rejectShowChar_->setChecked(f.rejectShowChar != 0);
  auto* rejectGrid = new QGridLayout(rejectBox);
  rejectGrid->addWidget(new QLabel(QStringLiteral("1"), rejectBox), 0, 0);
  rejectGrid->addWidget(level_, 0, 1);
  rejectGrid->addWidget(new QLabel(QStringLiteral("9"), rejectBox), 0, 2);
  rejectGrid->addWidget(levelLabel, 0, 3);
  rejectGrid->addWidget(levelEdit_, 0, 4);
  rejectGrid->addWidget(rejectRecolour_, 1, 0, 1, 5);
  rejectGrid->addWidget(rejectShowChar_, 2, 0, 1, 5);
  rejectGrid->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(colourBox);
  layout->addWidget(imageBox);
  layout->addWidget(rejectBox);
  layout->addStretch();

  connect(level_, &QSlider::valueChanged, this, &CPropPageTextInfo::levelMoved);
  connect(levelEdit_, &QLineEdit::textChanged, this, &CPropPageTextInfo::levelTyped);
  connect(rejectRecolour_, &QCheckBox::toggled, this, &CPropPageTextInfo::previewReject);
  connect(rejectShowChar_, &QCheckBox::toggled, this, &CPropPageTextInfo::previewReject);
}

void CPropPageTextInfo::showColour(ColourSlot slot) {
  const QColor colour = colourFromRef(colours_[slot]);
  QFont font = this->font();
  if (slot == Background)
    samples_[slot]->setSample(QStringLiteral("--設定されている背景色--"), Qt::black, colour, font);
  else
    samples_[slot]->setSample(QStringLiteral("--設定されている文字色--"), colour, Qt::white, font);
}

void CPropPageTextInfo::chooseColour(ColourSlot slot) {
  if (const auto chosen = host_.dialogs.colour(this, colourFromRef(colours_[slot]), custom_)) {
    colours_[slot] = refFromColour(*chosen);
    showColour(slot);
  }
}

void CPropPageTextInfo::levelTyped(const QString& text) {
  bool ok = false;
  const int level = text.trimmed().toInt(&ok);
  // Anything but a level from 1 to 9 leaves the slider where it is.
  if (!ok || level < 1 || level > 9) return;
  if (level != level_->value()) level_->setValue(level);
}

void CPropPageTextInfo::levelMoved(int level) {
  bool ok = false;
  if (levelEdit_->text().trimmed().toInt(&ok) != level || !ok)
    levelEdit_->setText(QString::number(level));
  previewReject();
}

void CPropPageTextInfo::previewReject() {
  appcore::FrameSettings& f = host_.frame;
  f.rejectLevel = level_->value();
  f.rejectRecolour = rejectRecolour_->isChecked() ? 1 : 0;
  f.rejectShowChar = rejectShowChar_->isChecked() ? 1 : 0;
  if (host_.redrawText) host_.redrawText();
}

void CPropPageTextInfo::apply() {
  appcore::FrameSettings& f = host_.frame;
  f.editLineColour = static_cast<int>(colours_[EditLine]);
  f.nonEditLineColour = static_cast<int>(colours_[NonEditLine]);
  f.textBackground = static_cast<int>(colours_[Background]);
  f.changedColour = static_cast<int>(colours_[Changed]);
  f.showChanged = showChanged_->isChecked() ? 1 : 0;
  const int horizontal = above_->isChecked() ? 1 : 0;
  const int vertical = right_->isChecked() ? 1 : 0;
  positionsChanged_ = horizontal != f.horizontalLineImagePos || vertical != f.verticalLineImagePos;
  f.horizontalLineImagePos = horizontal;
  f.verticalLineImagePos = vertical;
  f.lineImageOffset = offset_->currentIndex();
  f.rejectLevel = level_->value();
  f.rejectRecolour = rejectRecolour_->isChecked() ? 1 : 0;
  f.rejectShowChar = rejectShowChar_->isChecked() ? 1 : 0;
}

}  // namespace vellary::settings_ui
