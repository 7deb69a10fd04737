// CDocxOutput: page geometry, the order of the library's calls, pictures, rules and the create
// step of each kind.
#include "export/word/docx_output.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <new>

#include "export/font_subset.h"
#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"
#include "model/program_files.h"
#include "model/text.h"

namespace vellary::exporting::word {

namespace {

constexpr int kA4Short = 11905, kA4Long = 16837;  // twips
constexpr int kMarginSlack = 210;                 // twips kept off the right and bottom margins
constexpr int kCentringSlack = 400;               // twips added to centred content offsets
constexpr int kPictureQuality = 30;               // JPEG quality of every Office picture
constexpr int kColourPictureDpi = 200;            // target resolution of grey and colour pictures
constexpr int kDefaultDpi = 400;
constexpr char kJapaneseFont[] = "ＭＳ 明朝";
constexpr char kSlideFont[] = "MS Pゴシック";  // PowerPoint and XPS pages
constexpr int kJapaneseCharset = 128;

// A4 unless the page's own size exceeds it by 5 % or more.
int64_t paperSide(int64_t own, int64_t a4) { return own > a4 && (own - a4) * 20 >= a4 ? own : a4; }

uint16_t u16(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 0xFFFF)); }
int32_t i32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

struct PageSize {
  int width, height, dpi;
};

// The page's size and resolution, taking what the image says where the page does not know.
PageSize pageSizeOf(const model::PageData& page, const std::string& imagePath) {
  PageSize s{page.width, page.height, page.dpi};
  if (s.width <= 0 || s.height <= 0 || s.dpi <= 0) {
    imaging::CPictInfo header;
    header.fileName = imagePath;
    if (imaging::LookImageInfo(header) > 0) {
      if (s.width <= 0) s.width = header.width();
      if (s.height <= 0) s.height = header.height();
      if (s.dpi <= 0) s.dpi = header.xResolution();
    }
  }
  // A page that says nothing is taken as an A4 scan at the usual resolution.
  if (s.dpi <= 0) s.dpi = kDefaultDpi;
  if (s.width <= 0) s.width = 3307;
  if (s.height <= 0) s.height = 4677;
  return s;
}

// The library gets full paths: it may resolve names against another folder than ours. Links
// are left for the library's file replacement to follow, so that a link to the output stays a
// link and a magic link (/dev/stdout) keeps its meaning.
std::string absolutePath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec || p.empty() ? path : p.string();
}

bool isTextBlock(const model::BlockData& b) {
  return b.type != model::BlockTable && b.type != model::BlockImage && b.type != model::BlockLine;
}

}  // namespace

PageFrame pageFrame(int width, int height, int dpi, OxmlRect box, int wordColumns, bool xps) {
  PageFrame f;
  const int64_t w = int64_t{width} * 1440 / dpi, h = int64_t{height} * 1440 / dpi;
  const bool portrait = height >= width;
  const int64_t pageW = paperSide(w, portrait ? kA4Short : kA4Long);
  const int64_t pageH = paperSide(h, portrait ? kA4Long : kA4Short);

  int64_t left = box.left, top = box.top, right = box.right, bottom = box.bottom;
  if (wordColumns == 2) {
    left /= 2;
    bottom += (height - bottom) / 2;
  } else {
    const int64_t dx = (width + left - right) / 2 - left;
    const int64_t dy = (height + top - bottom) / 2 - top;
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    f.offsetX = i32((1440 / dpi) * dx + kCentringSlack);
    f.offsetY = i32((1440 / dpi) * dy + kCentringSlack);
  }
  if (xps) {
    f.width = u16(width);
    f.height = u16(height);
    return f;
  }
  f.width = u16(pageW);
  f.height = u16(pageH);
  int64_t mr = pageW - right * 1440 / dpi, mb = pageH - bottom * 1440 / dpi;
  if (mr > kMarginSlack) mr -= kMarginSlack;
  if (mb > kMarginSlack) mb -= kMarginSlack;
  // Content reaching beyond an A4 sheet would give negative margins, which no word processor
  // accepts; the sheet's edge is as far as a margin can go.
  f.margins = {i32(std::max<int64_t>(0, left * 1440 / dpi)),
               i32(std::max<int64_t>(0, top * 1440 / dpi)), i32(std::max<int64_t>(0, mr)),
               i32(std::max<int64_t>(0, mb))};
  return f;
}

CDocxOutput::CDocxOutput(int kind, const OfficeOptions& options)
    : kind_(kind), options_(options), japaneseFont_(kind == KindDocx ? kJapaneseFont : kSlideFont) {
  if (kind_ == KindXps) used_ = std::make_unique<UsedChars>();
}

CDocxOutput::~CDocxOutput() = default;

bool CDocxOutput::initDocxData() {
  if (!library_.load(options_.libraryPath)) return false;
  library_.initDocxData();
  return true;
}

void CDocxOutput::addPageBreak() { library_.addPageBreak(); }

void CDocxOutput::setDocumentInfo(const DocumentInfo& info) {
  if (library_.setDocumentInfo == nullptr) return;
  const std::string title = model::toUtf8(info.title), subject = model::toUtf8(info.subject),
                    author = model::toUtf8(info.author), keywords = model::toUtf8(info.keywords);
  library_.setDocumentInfo(title.c_str(), subject.c_str(), author.c_str(), keywords.c_str());
}

const imaging::PrivateTempDir* CDocxOutput::tempDir() {
  if (!temp_ && !tempFailed_) {
    temp_ = imaging::PrivateTempDir::create("vellary-office-");
    tempFailed_ = !temp_;
  }
  return temp_ ? &*temp_ : nullptr;
}

PreparedPage CDocxOutput::preparePage(const model::PageData& page, const std::string& imagePath,
                                      int index) const {
  PreparedPage out;
  const PageSize size = pageSizeOf(page, imagePath);
  int64_t l = INT64_MAX, t = INT64_MAX, r = INT64_MIN, b = INT64_MIN;
  for (const model::BlockData& block : page.blocks) {
    l = std::min<int64_t>(l, block.x);
    t = std::min<int64_t>(t, block.y);
    r = std::max<int64_t>(r, int64_t{block.x} + block.width);
    b = std::max<int64_t>(b, int64_t{block.y} + block.height);
  }
  const OxmlRect box = page.blocks.empty() ? OxmlRect{0, 0, size.width, size.height}
                                           : OxmlRect{i32(l), i32(t), i32(r), i32(b)};
  out.dpi = size.dpi;
  out.frame =
      pageFrame(size.width, size.height, size.dpi, box, options_.wordColumns, kind_ == KindXps);

  int64_t characters = 0;
  for (const model::BlockData& block : page.blocks)
    if (isTextBlock(block) || block.type == model::BlockTable) characters += blockCharacters(block);
  out.hasCharacters = characters > 0;
  if (out.hasCharacters) {
    AreaContext context;
    context.dpi = size.dpi;
    context.offsetX = out.frame.offsetX;
    context.offsetY = out.frame.offsetY;
    context.kind = kind_;
    context.options = &options_;
    context.used = kind_ == KindXps ? &out.used : nullptr;
    for (const model::BlockData& block : page.blocks) {
      if (blockCharacters(block) == 0) continue;
      if (block.type == model::BlockTable) {
        TableArea table;
        if (buildTableArea(block, context, table)) out.areas.emplace_back(std::move(table));
      } else if (isTextBlock(block)) {
        out.areas.emplace_back(buildTextArea(block, context));
      }
    }
  }
  preparePictures(page, imagePath, index, out);
  for (const model::BlockData& block : page.blocks)
    if (block.type == model::BlockLine) out.rules.push_back(ruleRecord(block, size.dpi, out.frame));
  return out;
}

void CDocxOutput::outputPage(PreparedPage page) {
  if (page.hasCharacters) {
    library_.addPage(u16(page.frame.width), u16(page.frame.height), u16(page.dpi),
                     page.frame.margins, page.frame.offsetX, page.frame.offsetY,
                     japaneseFont_.c_str(), latinFont_.c_str(), kJapaneseCharset);
    for (auto& area : page.areas) {
      if (TableArea* table = std::get_if<TableArea>(&area)) {
        library_.addTableArea(&table->area, table->cells.data(),
                              static_cast<int32_t>(table->cells.size()), table->rows,
                              table->columns, table->chars.data(),
                              static_cast<int32_t>(table->chars.size()));
        continue;
      }
      TextArea& text = std::get<TextArea>(area);
      const bool ruby = !text.groups.empty();
      library_.addTextArea(
          &text.area, text.lines.data(), static_cast<int32_t>(text.lines.size()), text.chars.data(),
          static_cast<int32_t>(text.chars.size()), ruby ? text.groups.data() : nullptr,
          static_cast<int32_t>(text.groups.size() / 4), ruby ? text.rubyChars.data() : nullptr,
          static_cast<int32_t>(text.rubyChars.size()));
    }
  }
  if (!page.pictures.empty() && temp_) {
    // The library finds each picture by the base path and its own count of calls.
    const std::string base = absolutePath(temp_->path()) + "/tmpImg";
    for (const PreparedPage::Picture& p : page.pictures) {
      const std::string name = base + std::to_string(pictureCount_) + (p.png ? ".png" : ".jpg");
      if (std::rename(p.file.c_str(), name.c_str()) != 0) continue;
      library_.addImageArea(&p.record, base.c_str(), p.png ? OXML_PICTURE_PNG : OXML_PICTURE_JPEG);
      ++pictureCount_;
    }
  }
  for (const OxmlArea& rule : page.rules) library_.addLineArea(&rule);
  if (used_) {
    used_->japanese.merge(page.used.japanese);
    used_->other.merge(page.used.other);
  }
}

bool CDocxOutput::outputPage(const model::PageData& page, const std::string& imagePath) {
  try {
    if (std::any_of(page.blocks.begin(), page.blocks.end(),
                    [](const model::BlockData& b) { return b.type == model::BlockImage; }))
      tempDir();
    outputPage(preparePage(page, imagePath, 0));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void CDocxOutput::preparePictures(const model::PageData& page, const std::string& imagePath,
                                  int index, PreparedPage& out) const {
  if (!temp_ || std::none_of(page.blocks.begin(), page.blocks.end(),
                             [](const model::BlockData& b) { return b.type == model::BlockImage; }))
    return;
  imaging::CPictInfo image;
  image.fileName = imagePath;
  if (imaging::LoadImageFileProc(image) != imaging::kImageOk) return;

  const int dpi = out.dpi;
  const PageFrame& frame = out.frame;
  const bool bilevel = image.bitsPerPixel() == 1;
  const int own = image.xResolution() > 0 ? image.xResolution() : dpi;
  const int target =
      std::min(std::max(bilevel ? static_cast<int>(own * 0.4) : kColourPictureDpi, 72), dpi);
  const double factor = static_cast<double>(target) / dpi;
  // Bilevel pictures stay sharp in XPS as PNG; the other kinds take JPEG throughout.
  const bool png = kind_ == KindXps && bilevel;
  const std::string folder = absolutePath(temp_->path());

  for (const model::BlockData& block : page.blocks) {
    if (block.type != model::BlockImage) continue;
    imaging::CPictInfo piece;
    const imaging::PictRect rect{block.x, block.y, i32(int64_t{block.x} + block.width),
                                 i32(int64_t{block.y} + block.height)};
    if (imaging::MakeSubPictImageFromPict(image, rect, piece) != imaging::kImageOk) continue;
    double applied = 1.0;
    if (factor > 0.1 && factor < 1) {
      imaging::CPictInfo small;
      if (imaging::MakeShrinkImageFromPict(
              piece, small, factor, png ? imaging::kShrinkKeepDepth : imaging::kShrinkDisplay) !=
          imaging::kImageOk)
        continue;
      piece = std::move(small);
      applied = factor;
    }
    PreparedPage::Picture picture;
    picture.png = png;
    picture.file = folder + "/page" + std::to_string(index) + "-" +
                   std::to_string(out.pictures.size()) + (png ? ".png" : ".jpg");
    piece.fileName = picture.file;
    piece.saveFormat = png ? imaging::kFormatPng : imaging::kFormatJpeg;
    piece.quality = kPictureQuality;
    if (imaging::SaveImageFileProc(piece) != imaging::kImageOk) continue;

    int32_t* f = picture.record.field;
    if (kind_ == KindXps) {
      f[kFieldLeft] = rect.left;
      f[kFieldTop] = rect.top;
      f[kFieldRight] = rect.right;
      f[kFieldBottom] = rect.bottom;
      // The picture's size at the page's resolution. Divided by the factor actually applied: a
      // picture left unshrunk already has it.
      f[kFieldSize] = static_cast<int32_t>(piece.height() / applied);
      f[kFieldWidth] = static_cast<int32_t>(piece.width() / applied);
    } else {
      f[kFieldLeft] = std::max(0, pixelsToPoints(block.x, dpi) + twipsToPoints(frame.offsetX) - 15);
      f[kFieldTop] = pixelsToPoints(block.y, dpi) + twipsToPoints(frame.offsetY);
      f[kFieldRight] = f[kFieldLeft] + pixelsToPoints(block.width, dpi);
      f[kFieldBottom] = f[kFieldTop] + pixelsToPoints(block.height, dpi);
    }
    out.pictures.push_back(std::move(picture));
  }
}

OxmlArea CDocxOutput::ruleRecord(const model::BlockData& block, int dpi,
                                 const PageFrame& frame) const {
  OxmlArea record{};
  int32_t* f = record.field;
  const int64_t left = int64_t{block.x} + int64_t{frame.offsetX} * dpi / 1440 - 80;
  const int64_t top = int64_t{block.y} + int64_t{frame.offsetY} * dpi / 1440 - 20;
  const bool horizontal = block.width > block.height;
  f[kFieldLeft] = i32(left);
  f[kFieldTop] = i32(top);
  f[kFieldRight] = i32(left + block.width);
  f[kFieldBottom] = i32(horizontal ? top : top + block.height);
  f[kFieldDirection] = horizontal ? 1 : 2;
  f[kFieldBorder] = 1;
  return record;
}

void CDocxOutput::makeFontSubsets() {
  const std::set<char32_t>* tables[] = {&used_->japanese, &used_->other};
  for (int i = 0; i < 2; ++i) {
    if (tables[i]->empty()) continue;
    const imaging::PrivateTempDir* dir = tempDir();
    if (dir == nullptr) return;
    const int charset = i == 0 ? kJapaneseCharset : 0;
    const std::vector<char32_t> chars(tables[i]->begin(), tables[i]->end());
    const std::string file = absolutePath(dir->path()) + "/SubFont" + std::to_string(i) + ".ttf";
    if (makeFontSubset(charset, chars, file) == kSubsetOk && library_.addXPSFontSubset)
      library_.addXPSFontSubset(charset, file.c_str(), static_cast<int32_t>(file.size()));
  }
}

int CDocxOutput::create(const std::string& path, bool moreThanFivePages) {
  const std::string name = absolutePath(path);
  const auto length = static_cast<int32_t>(name.size());
  const int32_t more = moreThanFivePages ? 1 : 0;
  int result = 0;
  switch (kind_) {
    case KindPptx: {
      const std::string folder =
          absolutePath(options_.templateFolder.empty() ? model::dataFolder() + "/PptXTemplate"
                                                   : options_.templateFolder);
      result = library_.createPPTX(name.c_str(), length, options_.wordColumns, more, 0, 0,
                                   folder.c_str());
      break;
    }
    case KindXps:
      makeFontSubsets();
      result = library_.createXPS(name.c_str(), length, options_.wordColumns, more, 0, 0);
      break;
    default:
      result = library_.createDocX(name.c_str(), length, options_.wordColumns, more, 0, 0);
      break;
  }
  if (temp_) temp_->remove();
  temp_.reset();
  return result;
}

}  // namespace vellary::exporting::word
