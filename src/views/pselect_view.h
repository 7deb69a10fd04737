// CPSelectView: the page list with its change marks, the scale list and the preview of the current
// page with the text view's caret line marked on it.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "document/changes.h"
#include "views/packed_picture.h"
#include "views/preview_cache.h"
#include "views/view_host.h"

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace vellary::views {

class PreviewArea;

class CPSelectView : public QWidget, public document::DocumentObserver {
  Q_OBJECT

 public:
  CPSelectView(ViewHost& host, PreviewCache cache, QWidget* parent = nullptr);
  ~CPSelectView() override;

  // Rebuilds the scale list, the page rows with their marks and the preview.
  void RefreshPageList();
  // Column 0 of every row from the document's page marks: "*" for a page with unsaved changes.
  void showPageMarks();
  // Selects scale entry `index` (0 for 10 %) and takes its scale as the list scale.
  void SetZoomSelection(int index);
  // Mode 2 marks `rect` (page pixels) as the caret line, mode 1 removes the mark, mode 0 only
  // shows the stored mark again. At most one line is ever marked.
  void ShowLineRect(std::optional<PageRect> rect, int mode);
  // The preview without the line mark.
  void RepaintPreview();
  // The outer splitter's bar was released at x: the preview takes the new width.
  void ResizePreview(int x);
  // document::DocumentObserver
  void documentChanged(const document::ChangeSet& changes) override;

  // What the list shows, for the frame's counter and for tests.
  int rowCount() const;
  QString markText(int row) const;
  QString pageText(int row) const;
  int selectedRow() const;
  void chooseRow(int row);  // as a click on the row
  QComboBox* scaleList() const { return scaleList_; }
  double listScale() const { return listScale_; }
  double previewFactor() const { return previewFactor_; }
  PageRect lineRect() const { return lineRect_; }
  bool hasPreview() const { return preview_.has_value(); }
  QSize previewSize() const;
  // The width previews are made for: the area's width as the list last set it.
  int previewTargetWidth() const { return targetWidth_; }
  const PreviewCache& cache() const { return cache_; }

 private:
  friend class PreviewArea;
  void onRowChanged(QTreeWidgetItem* current);
  void onScaleChosen(int index);
  void selectCurrentPageRow();
  // The caret line marked on the preview in character editing.
  void followCaret();
  // Builds the preview of the current page: its recorded image, else the one in the folder named
  // like the document.
  void buildCurrentPreview();
  bool BuildPreview(const std::string& imagePath);
  void paintPreview(QPainter& painter);

  ViewHost& host_;
  PreviewCache cache_;
  QTreeWidget* pageList_;
  QComboBox* scaleList_;
  PreviewArea* previewArea_;
  double listScale_ = 0.5;
  double previewFactor_ = 0.1;
  std::optional<PackedPicture> preview_;
  PageRect lineRect_;
  int targetWidth_ = 160;
  bool columnsPending_ = true;
  bool building_ = false;  // while a preview is made: the area says so
};

}  // namespace vellary::views
