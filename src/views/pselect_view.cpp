// CPSelectView: page rows, scale list and preview.
#include "views/pselect_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "document/document.h"
#include "editing/editing_context.h"
#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"
#include "model/image_folder.h"

namespace vellary::views {

namespace {

constexpr int kInitialPreviewHeight = 240;
// The scale list: the ten steps, then the two scales that follow the view.
constexpr int kStepEntries = 10;
constexpr int kFitWidthEntry = 10, kFitPageEntry = 11;
constexpr int kMarkColumnWidth = 25;
constexpr int kPageColumnWidth = 60;

int scaleEntryFor(double scale) { return static_cast<int>(scale * 10 + 0.1); }

}  // namespace

// The preview: white, the reduced page one to one, and the caret line drawn with XOR over it.
// It asks for the preview's size but takes less height when the window has no more: a tall
// preview must never make the window taller than its screen (it is then drawn smaller).
class PreviewArea : public QWidget {
 public:
  PreviewArea(CPSelectView& view, QWidget* parent) : QWidget(parent), view_(view) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);
  }
  // The size the preview would take whole (the preview picture's size, or the empty area's).
  void setWanted(QSize size) {
    wanted_ = size;
    setFixedWidth(size.width());
    setMaximumHeight(size.height());
    updateGeometry();
  }
  void setWantedWidth(int width) { setWanted({width, wanted_.height()}); }
  QSize wanted() const { return wanted_; }
  QSize sizeHint() const override { return wanted_; }
  QSize minimumSizeHint() const override {
    return {wanted_.width(), std::min(wanted_.height(), kSmallestPreviewHeight)};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    view_.paintPreview(p);
  }

 private:
  static constexpr int kSmallestPreviewHeight = 60;
  CPSelectView& view_;
  QSize wanted_;
};

CPSelectView::CPSelectView(ViewHost& host, PreviewCache cache, QWidget* parent)
    : QWidget(parent), host_(host), cache_(std::move(cache)) {
  pageList_ = new QTreeWidget(this);
  pageList_->setObjectName("pageList");
  pageList_->setRootIsDecorated(false);
  pageList_->setSelectionMode(QAbstractItemView::SingleSelection);
  pageList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  pageList_->setColumnCount(2);
  pageList_->setHeaderHidden(true);  // until the first refresh creates the columns
  scaleList_ = new QComboBox(this);
  scaleList_->setObjectName("scaleList");
  auto* label = new QLabel(QStringLiteral("表示倍率(&S)"), this);
  label->setBuddy(scaleList_);
  previewArea_ = new PreviewArea(*this, this);
  previewArea_->setObjectName("preview");
  previewArea_->setWanted({targetWidth_, kInitialPreviewHeight});

  auto* scaleRow = new QHBoxLayout;
  scaleRow->addWidget(label);
  scaleRow->addWidget(scaleList_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(pageList_, 1);
  layout->addLayout(scaleRow);
  layout->addWidget(previewArea_, 0, Qt::AlignLeft);

  if (auto* doc = host_.document()) listScale_ = doc->zoom();
  connect(pageList_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { onRowChanged(current); });
  connect(scaleList_, &QComboBox::currentIndexChanged, this,
          [this](int index) { onScaleChosen(index); });
}

CPSelectView::~CPSelectView() = default;

void CPSelectView::RefreshPageList() {
  if (width() > 40) targetWidth_ = width() - 20;
  previewArea_->setWantedWidth(targetWidth_);
  {
    const QSignalBlocker block(scaleList_);
    scaleList_->clear();
    for (int percent = 10; percent <= 100; percent += 10)
      scaleList_->addItem(QString::asprintf("%2.2d ％", percent));
    scaleList_->addItem(QStringLiteral("幅に合わせる"));
    scaleList_->addItem(QStringLiteral("ページ全体"));
  }
  if (columnsPending_) {
    pageList_->setHeaderLabels({QStringLiteral("修"), QStringLiteral("ページ")});
    pageList_->setHeaderHidden(false);
    pageList_->header()->setStretchLastSection(false);
    pageList_->setColumnWidth(0, kMarkColumnWidth);
    pageList_->setColumnWidth(1, kPageColumnWidth);
    columnsPending_ = false;
  }
  {
    // The entry is chosen from the scale before an out-of-range scale is reset, so such a scale
    // selects nothing.
    const QSignalBlocker block(scaleList_);
    const int entry = scaleEntryFor(listScale_) - 1;
    scaleList_->setCurrentIndex(entry >= 0 && entry < kStepEntries ? entry : -1);
    if (entry + 1 > kStepEntries || listScale_ > 1 || listScale_ < 0.1) listScale_ = 0.5;
  }
  showZoom();
  const QSignalBlocker block(pageList_);
  pageList_->clear();
  auto* doc = host_.document();
  if (doc == nullptr || doc->paper() == nullptr) {
    preview_.reset();
    previewArea_->update();
    return;
  }
  int index = 0;
  for (const model::PageData& page : doc->paper()->pages) {
    auto* item = new QTreeWidgetItem(pageList_);
    // The marks live in the document: a list built again shows the unsaved pages as before.
    item->setText(0, doc->pageMarked(index) ? QStringLiteral("*") : QString());
    item->setText(1, QString::number(page.number));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, Qt::UserRole, index++);
  }
  selectCurrentPageRow();
  buildCurrentPreview();
}

void CPSelectView::selectCurrentPageRow() {
  auto* doc = host_.document();
  if (doc == nullptr) return;
  const int current = doc->currentPage();
  if (current < 0 || current >= pageList_->topLevelItemCount()) return;
  const QSignalBlocker block(pageList_);
  QTreeWidgetItem* item = pageList_->topLevelItem(current);
  pageList_->setCurrentItem(item);
  pageList_->scrollToItem(item);
}

void CPSelectView::showPageMarks() {
  auto* doc = host_.document();
  for (int i = 0, n = pageList_->topLevelItemCount(); i < n; ++i) {
    const QString mark = doc != nullptr && doc->pageMarked(i) ? QStringLiteral("*") : QString();
    QTreeWidgetItem* item = pageList_->topLevelItem(i);
    if (item->text(0) != mark) item->setText(0, mark);
  }
}

void CPSelectView::SetZoomSelection(int index) {
  if (index < 0 || index >= kStepEntries || scaleList_->count() < index + 1) return;
  const QSignalBlocker block(scaleList_);
  scaleList_->setCurrentIndex(index);
  listScale_ = (index + 1) / 10.0;
}

void CPSelectView::showZoom() {
  auto* doc = host_.document();
  if (doc == nullptr || scaleList_->count() < kFitPageEntry + 1) return;
  const QSignalBlocker block(scaleList_);
  const double zoom = doc->zoom();
  listScale_ = zoom;
  const int entry = scaleEntryFor(zoom) - 1;
  const bool step = std::abs(zoom - (entry + 1) / 10.0) < 1e-9;
  // A scale between the steps that follows nothing (left so by an earlier run) shows its percent.
  scaleList_->setPlaceholderText(QString::asprintf("%d ％", static_cast<int>(zoom * 100 + 0.5)));
  switch (host_.zoomFit()) {
    case appcore::ZoomFit::Width:
      scaleList_->setCurrentIndex(kFitWidthEntry);
      break;
    case appcore::ZoomFit::Page:
      scaleList_->setCurrentIndex(kFitPageEntry);
      break;
    case appcore::ZoomFit::None:
      scaleList_->setCurrentIndex(step && entry >= 0 && entry < kStepEntries ? entry : -1);
      break;
  }
}

void CPSelectView::ShowLineRect(std::optional<PageRect> rect, int mode) {
  // The mark is painted with the preview, so a stored rectangle is always the one visible mark.
  if (mode == 1) lineRect_ = {};
  if (mode == 2) lineRect_ = rect.value_or(PageRect{});
  previewArea_->update();
}

void CPSelectView::RepaintPreview() {
  lineRect_ = {};
  previewArea_->update();
}

void CPSelectView::ResizePreview(int x) {
  preview_.reset();
  if (x - 25 > 0) targetWidth_ = x - 25;
  previewArea_->setWantedWidth(targetWidth_);
  auto* doc = host_.document();
  if (doc != nullptr && doc->paper() != nullptr) buildCurrentPreview();
  previewArea_->update();
}

void CPSelectView::documentChanged(const document::ChangeSet& changes) {
  using document::Change;
  auto* doc = host_.document();
  if (changes.has(Change::Document)) {
    if (doc != nullptr) listScale_ = doc->zoom();
    RefreshPageList();
  } else {
    if (changes.has(Change::Zoom)) showZoom();
    if (changes.has(Change::Marks)) showPageMarks();
    if (changes.any(Change::Page | Change::Image)) {
      selectCurrentPageRow();
      lineRect_ = {};
      if (doc != nullptr && doc->paper() != nullptr) buildCurrentPreview();
    }
  }
  if (changes.any(Change::Caret | Change::Display | Change::Page | Change::Document)) followCaret();
}

void CPSelectView::followCaret() {
  editing::EditingContext* editing = host_.editing();
  const editing::CaretPos* c = editing != nullptr ? &editing->state().caret : nullptr;
  if (host_.editMode() == appcore::EditMode::Character && c != nullptr && c->valid()) {
    const model::LineData& l = *c->line;
    ShowLineRect(PageRect{l.x, l.y, l.x + l.width, l.y + l.height}, 2);
  } else {
    ShowLineRect(std::nullopt, 1);
  }
}

void CPSelectView::buildCurrentPreview() {
  auto* doc = host_.document();
  model::PageData* page = doc ? doc->page(doc->currentPage()) : nullptr;
  if (page == nullptr) return;
  if (BuildPreview(model::findPageImage(*page, doc->pathName()))) return;
  previewArea_->update();
}

bool CPSelectView::BuildPreview(const std::string& imagePath) {
  if (imagePath.empty()) return false;
  preview_.reset();
  imaging::CPictInfo image;
  image.fileName = imagePath;
  if (imaging::LookImageInfo(image) <= 0 || image.width() <= 0) return false;
  // The width the list asks for, not the area's size after the last preview shrank it to fit:
  // that keeps the cached preview's name the same from one build to the next.
  const int areaWidth = targetWidth_;
  previewFactor_ = static_cast<double>(areaWidth) / image.width();

  imaging::CPictInfo previewPict;
  previewPict.fileName = cache_.pathFor(imagePath, areaWidth);
  const bool cached = !previewPict.fileName.empty() && imaging::LookImageInfo(previewPict) > 0 &&
                      imaging::LoadImageFileProc(previewPict) == 1;
  if (!cached) {
    building_ = true;
    previewArea_->repaint();
    building_ = false;
    if (imaging::LoadImageFileProc(image) != 1) return false;
    if (previewFactor_ < 1) {
      const std::string name = previewPict.fileName;
      if (imaging::MakeShrinkImageFromPict(image, previewPict, previewFactor_,
                                           imaging::kShrinkPreview) != 1)
        return false;
      previewPict.fileName = name;
    } else {
      const std::string name = previewPict.fileName;
      previewPict = std::move(image);
      previewPict.fileName = name;
    }
    // A preview that cannot be written is shown all the same; the next build makes it again.
    if (!previewPict.fileName.empty() && cache_.prepare()) {
      previewPict.saveFormat = imaging::kFormatPreview;
      imaging::SaveImageFileProc(previewPict);
      cache_.prune();
    }
  }
  preview_ = PictureToDib(previewPict);
  if (!preview_) return false;
  // The factor that maps page pixels onto the preview as it came out (a cached file may have
  // been made from the same width, so this equals the computed one up to rounding).
  previewFactor_ = static_cast<double>(preview_->width()) / image.width();
  previewArea_->setWanted({preview_->width(), preview_->height()});
  previewArea_->update();
  return true;
}

void CPSelectView::paintPreview(QPainter& p) {
  const QRect area = previewArea_->rect();
  if (building_) {
    p.fillRect(area, palette().button());
    p.setPen(Qt::black);
    p.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("プレビュー作成中..."));
    return;
  }
  p.fillRect(area.adjusted(0, 0, -1, -1), Qt::white);
  // A window too short for the whole preview gets it smaller, the line mark with it.
  double fit = 1.0;
  if (preview_) {
    const QRect whole(0, 0, preview_->width(), preview_->height());
    if (preview_->height() > area.height() && preview_->height() > 0)
      fit = static_cast<double>(area.height()) / preview_->height();
    const QRect shown(0, 0, static_cast<int>(whole.width() * fit),
                      static_cast<int>(whole.height() * fit));
    DrawDib(p, shown, &*preview_, whole);
  }
  if (!lineRect_.empty()) {
    const double f = previewFactor_ * fit;
    const QRect mark(
        QPoint(static_cast<int>(lineRect_.left * f), static_cast<int>(lineRect_.top * f)),
        QPoint(static_cast<int>(lineRect_.right * f + 1) - 1,
               static_cast<int>(lineRect_.bottom * f + 1) - 1));
    const QColor colour(0x00, 0x7F, 0x7F);  // 0x7F7F00 as blue-green-red
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(colour, 2));
    p.setBrush(colour);
    p.drawRect(mark);
  }
}

int CPSelectView::rowCount() const { return pageList_->topLevelItemCount(); }

QString CPSelectView::markText(int row) const {
  auto* item = pageList_->topLevelItem(row);
  return item ? item->text(0) : QString();
}

QString CPSelectView::pageText(int row) const {
  auto* item = pageList_->topLevelItem(row);
  return item ? item->text(1) : QString();
}

int CPSelectView::selectedRow() const {
  auto* item = pageList_->currentItem();
  return item ? pageList_->indexOfTopLevelItem(item) : -1;
}

void CPSelectView::chooseRow(int row) {
  QTreeWidgetItem* item = pageList_->topLevelItem(row);
  if (item == nullptr) return;
  if (item == pageList_->currentItem())
    onRowChanged(item);  // the row already chosen: only the counter is shown again
  else
    pageList_->setCurrentItem(item);
}

QSize CPSelectView::previewSize() const { return previewArea_->wanted(); }

void CPSelectView::onRowChanged(QTreeWidgetItem* current) {
  auto* doc = host_.document();
  if (current == nullptr || doc == nullptr) return;
  const int index = current->data(0, Qt::UserRole).toInt();
  // The document tells every view of the new page; the caret goes to its start.
  if (index != doc->currentPage()) doc->setCurrentPage(index);
  host_.focusTextView();
}

void CPSelectView::onScaleChosen(int index) {
  if (index == kFitWidthEntry || index == kFitPageEntry) {
    host_.chooseZoomFit(index == kFitWidthEntry ? appcore::ZoomFit::Width : appcore::ZoomFit::Page);
    // A host that cannot fit shows its step again.
    showZoom();
    host_.focusTextView();
    return;
  }
  if (index < 0 || index >= kStepEntries) return;
  if (host_.zoomFit() == appcore::ZoomFit::None && scaleEntryFor(listScale_) == index + 1 &&
      listScale_ == (index + 1) / 10.0)
    return;
  listScale_ = (index + 1) / 10.0;
  host_.chooseZoomStep(appcore::IdZoom10 + index);
  host_.focusTextView();
}

}  // namespace vellary::views
