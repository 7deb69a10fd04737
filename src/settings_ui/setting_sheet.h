// CSetting: the modal settings sheet ("環境設定") with its eight pages. OK copies every page's
// values into the host's settings and asks the frame to draw again; Cancel undoes what the reject
// preview changed while the sheet was open.
#pragma once

#include <QDialog>

#include "settings_ui/pages.h"
#include "settings_ui/sheet_host.h"

class QTabWidget;

namespace vellary::settings_ui {

class CSetting : public QDialog {
  Q_OBJECT

 public:
  explicit CSetting(SheetHost host, QWidget* parent = nullptr);

  QTabWidget& tabs() const { return *tabs_; }
  CLoadConv& loadConv() const { return *loadConv_; }
  CPropMojiDisp& classColours() const { return *mojiDisp_; }
  CPropSearch& search() const { return *search_; }
  CPropRegistTbl& registered() const { return *registTbl_; }
  CPropOutput& output() const { return *output_; }
  CPropPageFont& fonts() const { return *fonts_; }
  CPropPageTextInfo& textInfo() const { return *textInfo_; }
  CPropMojiExp& explanations() const { return *mojiExp_; }

  void accept() override;
  void reject() override;

 private:
  SheetHost host_;
  // The reject display as it was when the sheet opened: the preview changes it at once.
  int rejectLevel_, rejectShowChar_, rejectRecolour_;
  QTabWidget* tabs_;
  CLoadConv* loadConv_;
  CPropMojiDisp* mojiDisp_;
  CPropSearch* search_;
  CPropRegistTbl* registTbl_;
  CPropOutput* output_;
  CPropPageFont* fonts_;
  CPropPageTextInfo* textInfo_;
  CPropMojiExp* mojiExp_;
};

}  // namespace vellary::settings_ui
