// The export dialog's choices without the dialog: the kind from the file name and file-type
// entry, the page range as the dialog records it and its conversion to page indexes, the range
// check and the confirmation for long exports.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vellary::exporting {

// The dialog's file-type list, entries 1 to 8.
inline constexpr char kExportFilter[] =
    "Unicodeテキスト (*.txt)|*.txt|Word2007以降(*.docx)|*.docx|PDF (*.pdf)|*.pdf|"
    "PDF画像 (透明テキスト付き) (*.pdf)|*.pdf|高圧縮PDF画像 (透明テキスト付き) (*.pdf)|*.pdf|"
    "PAGE XML (*.xml)|*.xml|ALTO (*.xml)|*.xml|hOCR (*.hocr)|*.hocr||";
// The entries of the open OCR formats.
inline constexpr int kFilterPageXml = 6;
inline constexpr int kFilterAlto = 7;
inline constexpr int kFilterHocr = 8;
inline constexpr char kRangeRefusal[] =
    "保存範囲が指定されていない、あるいは保存範囲のページが正しくありません";
// Ranges of this many pages or more are confirmed first.
inline constexpr int kConfirmPageCount = 100;

// The kind of a chosen file: by its extension (docx, pptx, xlsx, xps, txt, pdf, hocr, html, xml,
// in that order, without regard to case) and, for pdf and xml, the file-type entry (1-based)
// chosen in the dialog: xml is PAGE XML or ALTO with their entries, nothing with the others.
int exportKindFor(std::string_view path, int filterEntry);
// The file-type entry the dialog starts with for the kind used last.
int initialFilterEntry(int lastKind);

enum class RangeChoice : int { AllPages = 0, CurrentPage = 1, PageRange = 2 };

// The dialog's range as it records it: all pages (-1, -1), the current page (0, 0), or the
// 1-based numbers typed.
std::pair<int, int> dialogRange(RangeChoice choice, int typedFirst, int typedLast);
// Whether the typed numbers are refused (then kRangeRefusal is shown and the dialog stays).
bool rangeRefused(RangeChoice choice, int typedFirst, int typedLast, int pageCount);
// The question asked before exporting kConfirmPageCount pages or more (Yes/No, No the default),
// or nothing for shorter ranges and for the current page.
std::optional<std::string> longExportQuestion(RangeChoice choice, int typedFirst, int typedLast,
                                              int pageCount);
// The dialog's range turned into 0-based, inclusive page indexes.
std::pair<int, int> exportRange(int dialogFirst, int dialogLast, int pageCount, int currentPage);

}  // namespace vellary::exporting
