// The two small dialogs of the output page: the document information written into PDF files, and
// the strings that frame a ruby written inline.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;

namespace vellary::settings_ui {

struct DocumentInfo {
  std::string title, subtitle, author, keywords;
  bool operator==(const DocumentInfo&) const = default;
};

struct RubyStrings {
  std::string baseStart, rubyStart, rubyEnd;
  bool operator==(const RubyStrings&) const = default;
};

// "保存ファイル情報の入力": title, subtitle, author and keywords; the creator and producer are
// shown only.
class CFileInfoDlg : public QDialog {
  Q_OBJECT

 public:
  CFileInfoDlg(const DocumentInfo& info, const QString& creator, const QString& producer,
               QWidget* parent = nullptr);
  DocumentInfo info() const;

 private:
  QLineEdit* title_;
  QLineEdit* subtitle_;
  QLineEdit* author_;
  QLineEdit* keywords_;
};

// "ルビ認識挿入文字列設定": the three strings with a sample of 認識 and its ruby にんしき framed by
// them, rebuilt at every change.
class CRubyStringsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CRubyStringsDlg(const RubyStrings& strings, QWidget* parent = nullptr);
  RubyStrings strings() const;
  QString sampleText() const;

 private:
  void updateSample();

  QLineEdit* baseStart_;
  QLineEdit* rubyStart_;
  QLineEdit* rubyEnd_;
  QLabel* sample_;
};

// The inline form of a ruby: base start, base, ruby start, ruby, ruby end.
QString inlineRuby(const RubyStrings& strings, const QString& base, const QString& ruby);

}  // namespace vellary::settings_ui
