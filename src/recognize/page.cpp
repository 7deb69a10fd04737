// Recognising one page: binarising, layout, reading each region, the page record and its roles.
#include "recognize/page.h"

#include <algorithm>

#include "imaging/picture_ops.h"
#include "model/paper.h"
#include "recognize/layout_internal.h"
#include "recognize/page_reader.h"

namespace vellary::recognize {

using namespace detail;
using imaging::CPictInfo;
using model::CharData;
using model::LineData;

std::optional<Language> languageNamed(std::string_view name) {
  if (name == "jpn") return Language::Horizontal;
  if (name == "jpn_vert") return Language::Vertical;
  if (name == "auto") return Language::Auto;
  return std::nullopt;
}

namespace {

void setBlockBox(model::BlockData& block, const PictRect& r) {
  block.x = r.left;
  block.y = r.top;
  block.width = widthOf(r);
  block.height = heightOf(r);
}

// Roles the page's geometry tells: a block in clearly larger type than the body is a title; a
// short block of digits at the foot or head of the page is its page number.
void assignSections(model::PageData& page, const PageLayout& layout,
                    const std::vector<int>& blockSizes) {
  size_t k = 0;
  for (model::BlockData& block : page.blocks) {
    const int size = blockSizes[k++];
    if (block.type != model::BlockText) continue;
    std::u16string text;
    int baseLines = 0;
    for (const LineData& l : block.lines) {
      if (l.attr != model::AttrNone) continue;
      ++baseLines;
      for (const CharData& c : l.chars)
        if (c.text[0] != u' ' && c.text[0] != u'\u3000') text += c.text[0];  // "―　７　―"
    }
    const bool number = !text.empty() && text.size() <= 8 &&
                        std::all_of(text.begin(), text.end(), [](char16_t ch) {
                          return (ch >= u'0' && ch <= u'9') || (ch >= u'０' && ch <= u'９') ||
                                 ch == u'―' || ch == u'－' || ch == u'-' || ch == u'ー' ||
                                 ch == u'一';
                        }) &&
                        std::any_of(text.begin(), text.end(), [](char16_t ch) {
                          return (ch >= u'0' && ch <= u'9') || (ch >= u'０' && ch <= u'９');
                        });
    if (number && block.y * 100 >= layout.height * 85)
      block.sec = model::SecLowerPageNum;
    else if (number && (block.y + block.height) * 100 <= layout.height * 10)
      block.sec = model::SecUpperPageNum;
    else if (layout.charSize > 0 && size * 100 >= layout.charSize * 150 && baseLines <= 2)
      block.sec = model::SecTitle;
  }
}

}  // namespace

bool recognisePage(Engine& engine, const CPictInfo& picture, const PageOptions& options,
                   model::PageData& page, const jobs::StopToken* stop, std::string* error) {
  page.blocks.clear();
  page.width = picture.width();
  page.height = picture.height();
  const int dpi = picture.xResolution() > 0 ? picture.xResolution() : options.dpi;
  page.dpi = dpi;
  if (!picture.hasPixels()) return false;

  CPictInfo bilevel;
  if (picture.bitsPerPixel() == 1) {
    if (imaging::DuplicateCPictInfo(picture, bilevel) != imaging::kImageOk) return false;
  } else if (imaging::MakeBinDataFromGrayscaleData(picture, bilevel) != imaging::kImageOk) {
    return false;
  }
  imaging::SetPictResolution(bilevel, dpi, dpi);

  LayoutOptions layoutOptions;
  layoutOptions.expected = options.language == Language::Horizontal ? Writing::Horizontal
                           : options.language == Language::Vertical ? Writing::Vertical
                                                                    : Writing::Unknown;
  PageLayout layout = analysePage(bilevel, layoutOptions);
  PageReader reader(engine, picture, bilevel, layout, options, stop);
  std::vector<int> sizes;
  int32_t bid = 0;
  for (LayoutBlock& lb : layout.blocks) {
    if (reader.stopped()) break;
    model::BlockData block;
    block.type = lb.type;
    block.sec = model::SecText;
    block.langId = model::kLangJapanese;
    block.bid = ++bid;
    setBlockBox(block, lb.box);
    if (lb.type == model::BlockText) {
      reader.readRegion(lb.text, block.lines);
      if (block.lines.empty()) continue;
      block.direction = lb.text.writing == Writing::Vertical ? model::Vertical : model::Horizontal;
      PictRect box;
      for (const LineData& l : block.lines)
        box = unite(box, PictRect{l.x, l.y, l.x + l.width, l.y + l.height});
      setBlockBox(block, grown(box, std::max(2, lb.text.charSize / 4)));
      model::computeBlockAverages(block);
    } else if (lb.type == model::BlockTable) {
      for (LayoutCell& lc : lb.cells) {
        model::CellData& cell = block.cells.emplace_back();
        cell.row = lc.row;
        cell.col = lc.col;
        cell.x = lc.box.left;
        cell.y = lc.box.top;
        cell.width = widthOf(lc.box);
        cell.height = heightOf(lc.box);
        cell.border = {model::BorderSolid, model::BorderSolid, model::BorderSolid,
                       model::BorderSolid};
        if (!lc.text.pieces.empty()) reader.readRegion(lc.text, cell.lines);
        cell.lineCount = static_cast<int32_t>(cell.lines.size());
        model::computeCellAverages(cell, block.direction);
        block.charCount += cell.charCount;
      }
      model::computeTableAverage(block);
    }
    sizes.push_back(lb.type == model::BlockText ? lb.text.charSize : 0);
    page.blocks.push_back(std::move(block));
  }
  if (reader.failed() || reader.stopped()) {
    page.blocks.clear();
    if (error != nullptr) *error = reader.error();
    return false;
  }
  assignSections(page, layout, sizes);
  return true;
}

}  // namespace vellary::recognize
