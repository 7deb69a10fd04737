// The eight pages of the settings sheet. Each page copies its values from the host's settings
// when it is made and copies them back in apply(), which the sheet calls on OK.
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "settings_ui/info_dialogs.h"
#include "settings_ui/sheet_host.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTreeWidget;

namespace vellary::settings_ui {

class ColourSwatch;
class SampleFrame;

class SheetPage : public QWidget {
  Q_OBJECT

 public:
  SheetPage(SheetHost& host, QWidget* parent) : QWidget(parent), host_(host) {}
  virtual void apply() = 0;

 protected:
  SheetHost& host_;
};

// "条件設定": the loading and joining options and the emphasis character.
class CLoadConv : public SheetPage {
  Q_OBJECT

 public:
  CLoadConv(SheetHost& host, QWidget* parent = nullptr);
  void apply() override;

 private:
  QCheckBox* monoRuby_;
  QCheckBox* smallKana_;
  QCheckBox* reAnalyze_;
  QCheckBox* blockBreak_;
  QCheckBox* leadingSpace_;
  QRadioButton* halfWidth_;
  QRadioButton* fullWidth_;
  QCheckBox* naturalBreak_;
  QCheckBox* blockEnd_;
  QComboBox* emphasis_;
  QSpinBox* threads_;
};

// "文字種別表示色/フォント設定": the palette index and font of each character class.
class CPropMojiDisp : public SheetPage {
  Q_OBJECT

 public:
  CPropMojiDisp(SheetHost& host, QWidget* parent = nullptr);
  void apply() override;

  // The class the list has selected, or −1.
  int selectedClass() const;
  void selectClass(int charClass);
  // The swatch standing for palette entry `index` (0–31).
  ColourSwatch* swatch(int index) const { return swatches_[static_cast<size_t>(index)]; }
  const SampleFrame& sample() const { return *sample_; }

 private:
  void chooseIndex(int index);
  void defineUserColour();
  void chooseFont();
  void resetColours();
  void showSelection();

  std::array<int, appcore::kCharClassCount> colours_;
  std::array<uint32_t, appcore::kUserColourCount> user_;
  std::array<std::string, appcore::kCharClassCount> fonts_;
  QListWidget* classes_;
  QListWidget* controls_;
  std::array<ColourSwatch*, 32> swatches_{};
  QButtonGroup* swatchGroup_;
  SampleFrame* sample_;
};

// "検索・置換".
class CPropSearch : public SheetPage {
  Q_OBJECT

 public:
  CPropSearch(SheetHost& host, QWidget* parent = nullptr);
  void apply() override;

 private:
  QCheckBox* register_;
};

// The list, fields and buttons both table pages share. The table itself changes only through the
// page's commands and on OK.
class TablePage : public SheetPage {
  Q_OBJECT

 public:
  void apply() override { copyIntoTable(); }
  QTreeWidget& list() const { return *list_; }
  bool eventFilter(QObject* watched, QEvent* event) override;
  QString fileNameShown() const;

 protected:
  struct Captions {
    const char* columns[2];
    const char* fields[2];
    const char* loadButton;
  };
  TablePage(SheetHost& host, appcore::CharTable& table, const Captions& captions, QWidget* parent);
  // The list's rows become the table's pairs; a page that changed marks the table modified.
  void copyIntoTable(bool markModified = true);
  void fillList();
  void appendRow(const QString& first, const QString& second);
  void deleteSelected();
  virtual void updateButtons();
  virtual void add() = 0;
  virtual void load() = 0;

  appcore::CharTable& table_;
  bool changed_ = false;
  QTreeWidget* list_;
  QLineEdit* fileName_;
  QLineEdit* first_;
  QLineEdit* second_;
  QPushButton* add_;
  QPushButton* delete_;
  QPushButton* load_;
};

// "登録文字テーブル": search words and their replacements.
class CPropRegistTbl : public TablePage {
  Q_OBJECT

 public:
  CPropRegistTbl(SheetHost& host, QWidget* parent = nullptr);

 private:
  void add() override;
  void load() override;
  void save();

  QPushButton* save_;
};

// "候補文字の読みテーブル": one character and its explanation per row.
class CPropMojiExp : public TablePage {
  Q_OBJECT

 public:
  CPropMojiExp(SheetHost& host, QWidget* parent = nullptr);

 private:
  void add() override;
  void load() override;
  void updateButtons() override;
};

// "保存・外部出力": Word and PDF output options.
class CPropOutput : public SheetPage {
  Q_OBJECT

 public:
  CPropOutput(SheetHost& host, QWidget* parent = nullptr);
  void apply() override;
  const DocumentInfo& documentInfo() const { return info_; }
  const RubyStrings& rubyStrings() const { return ruby_; }
  void editDocumentInfo();
  void editRubyStrings();

 private:
  DocumentInfo info_;
  RubyStrings ruby_;
  QCheckBox* columns_;
  QSlider* quality_;
  QCheckBox* authorCheck_;
  QCheckBox* rubyInline_;
  QCheckBox* embedFonts_;
  QCheckBox* archive_;
  QCheckBox* textRuby_;
};

// "フォント": the six display fonts of the application.
class CPropPageFont : public SheetPage {
  Q_OBJECT

 public:
  CPropPageFont(SheetHost& host, QWidget* parent = nullptr);
  void apply() override;
  enum Which { Japanese, JapaneseVertical, Latin, SimplifiedChinese, TraditionalChinese, Hangul };
  const std::string& face(Which which) const { return faces_[which]; }
  const SampleFrame& sample(Which which) const { return *samples_[which]; }
  void chooseFont(Which which);

 private:
  void showSample(Which which);

  std::array<std::string, 6> faces_;
  std::array<SampleFrame*, 6> samples_{};
};

// "表示テキスト情報": line colours, background, the one-line image's place, the reject display and
// the modified-character colour. The reject settings take effect while the sheet is open.
class CPropPageTextInfo : public SheetPage {
  Q_OBJECT

 public:
  CPropPageTextInfo(SheetHost& host, QWidget* parent = nullptr);
  void apply() override;
  // Whether apply() moved the one-line image to the other side of a line.
  bool positionsChanged() const { return positionsChanged_; }

 private:
  enum ColourSlot { EditLine, NonEditLine, Background, Changed };
  void chooseColour(ColourSlot slot);
  void showColour(ColourSlot slot);
  void levelTyped(const QString& text);
  void levelMoved(int level);
  void previewReject();

  std::array<uint32_t, 4> colours_{};
  std::array<SampleFrame*, 4> samples_{};
  // The colour dialog's custom colours, kept while the page lives.
  CustomColours custom_;
  bool positionsChanged_ = false;
  QRadioButton* below_;
  QRadioButton* above_;
  QRadioButton* left_;
  QRadioButton* right_;
  QComboBox* offset_;
  QSlider* level_;
  QLineEdit* levelEdit_;
  QCheckBox* rejectRecolour_;
  QCheckBox* rejectShowChar_;
  QCheckBox* showChanged_;
};

}  // namespace vellary::settings_ui
