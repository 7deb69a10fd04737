// The export dialog's decisions: kind, range, refusal and confirmation.
#include "export/export_choice.h"

#include <algorithm>
#include <cctype>

#include "export/export.h"

namespace vellary::exporting {

namespace {

bool hasExtension(std::string_view path, std::string_view ext) {
  if (path.size() <= ext.size() || path[path.size() - ext.size() - 1] != '.') return false;
  std::string_view tail = path.substr(path.size() - ext.size());
  return std::equal(tail.begin(), tail.end(), ext.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

}  // namespace

int exportKindFor(std::string_view path, int filterEntry) {
  if (hasExtension(path, "docx")) return KindDocx;
  if (hasExtension(path, "pptx")) return KindPptx;
  if (hasExtension(path, "xlsx")) return KindXlsx;
  if (hasExtension(path, "xps")) return KindXps;
  if (hasExtension(path, "txt")) return KindText;
  if (hasExtension(path, "pdf")) {
    if (filterEntry == 4) return KindPdfImage;
    if (filterEntry == 5) return KindPdfCompressed;
    return KindPdfText;
  }
  if (hasExtension(path, "hocr") || hasExtension(path, "html")) return KindHocr;
  if (hasExtension(path, "xml")) {
    // RovOrirUD is .xml too: only the two XML entries make it an export.
    if (filterEntry == kFilterPageXml) return KindPageXml;
    if (filterEntry == kFilterAlto) return KindAlto;
  }
  return KindNone;
}

int initialFilterEntry(int lastKind) {
  switch (lastKind) {
    case KindDocx:
      return 2;
    case KindPdfText:
      return 3;
    case KindPdfImage:
      return 4;
    case KindPdfCompressed:
      return 5;
    case KindPageXml:
      return kFilterPageXml;
    case KindAlto:
      return kFilterAlto;
    case KindHocr:
      return kFilterHocr;
    default:
      return 1;
  }
}

std::pair<int, int> dialogRange(RangeChoice choice, int typedFirst, int typedLast) {
  switch (choice) {
    case RangeChoice::CurrentPage:
      return {0, 0};
    case RangeChoice::PageRange:
      return {typedFirst, typedLast};
    default:
      return {-1, -1};
  }
}

bool rangeRefused(RangeChoice choice, int typedFirst, int typedLast, int pageCount) {
  if (choice != RangeChoice::PageRange) return false;
  return typedFirst < 1 || typedLast < 1 || typedFirst > pageCount || typedLast > pageCount ||
         typedLast < typedFirst;
}

std::optional<std::string> longExportQuestion(RangeChoice choice, int typedFirst, int typedLast,
                                              int pageCount) {
  if (choice == RangeChoice::CurrentPage) return std::nullopt;
  const int count = choice == RangeChoice::PageRange ? typedLast - typedFirst + 1 : pageCount;
  if (count < kConfirmPageCount) return std::nullopt;
  return "保存ページが" + std::to_string(count) + "ページ選択されています。\n" +
         "認識結果の内容によっては、保存に時間がかかる場合があります。\n" + "保存を実行しますか？";
}

std::pair<int, int> exportRange(int dialogFirst, int dialogLast, int pageCount, int currentPage) {
  const int lastIndex = pageCount - 1;
  if (dialogFirst == -1 && dialogLast == -1) return {0, lastIndex};
  if (dialogFirst == 0 && dialogLast == 0) return {currentPage, currentPage};
  if (dialogFirst >= 1 && dialogLast >= 1)
    return {dialogFirst - 1, std::min(dialogLast - 1, lastIndex)};
  return {0, lastIndex};
}

}  // namespace vellary::exporting
