// Building the paper list from the blocks' roles.
#include "paper_list.h"

#include <iterator>

namespace vellary::recompose {

namespace {

using namespace model;

void appendText(std::u16string& out, const BlockData& block) {
  for (const LineData& l : block.lines) {
    if (l.attr != AttrNone) continue;  // ruby and marks are not part of the title's text
    for (const CharData& c : l.chars) out.append(c.text.data(), charTextLength(c.text));
  }
}

}  // namespace

std::vector<PaperEntry> buildPaperList(const PaperData& paper) {
  std::vector<PaperEntry> list;
  int pageIndex = 0;
  for (const PageData& page : paper.pages) {
    bool inRun = false;
    for (const BlockData& b : page.blocks) {
      bool titleGroup = b.sec == SecTitle || b.sec == SecAuthor || b.sec == SecExTitle ||
                        b.sec == SecExAuther;
      if (titleGroup) {
        if (!inRun) {
          if (!list.empty()) list.back().lastPage = pageIndex > list.back().startPage ? pageIndex - 1 : pageIndex;
          PaperEntry& e = list.emplace_back();
          e.startPage = pageIndex;
          e.firstImage = page.file.value_or(u"");
          inRun = true;
        }
        appendText(b.sec == SecTitle || b.sec == SecExTitle ? list.back().title : list.back().author, b);
      } else if (b.sec == SecText || b.sec == SecTerminater) {
        inRun = false;
      }
    }
    ++pageIndex;
  }
  if (!list.empty()) list.back().lastPage = pageIndex - 1;
  for (PaperEntry& e : list) {
    auto it = std::next(paper.pages.begin(), e.lastPage);
    e.lastImage = it->file.value_or(u"");
  }
  return list;
}

}  // namespace vellary::recompose
