// The paper list: the articles of a document, found by their title groups. The editor opens a
// document on the page where its first article starts.
#pragma once

#include <string>
#include <vector>

#include "model/records.h"

namespace vellary::recompose {

struct PaperEntry {
  int startPage = 0;  // 0-based index of the page where the article's title group begins
  int lastPage = 0;   // 0-based index of the page before the next article (or the last page)
  std::u16string title;   // text of its title blocks (title, extitle)
  std::u16string author;  // text of its author blocks (author, exauther)
  std::u16string firstImage, lastImage;  // image file names of its first and last page
};

// An article starts at the first title-group block (title, author, extitle, exauther) of a run;
// a run ends at a body-text or end-mark block and at the end of each page.
std::vector<PaperEntry> buildPaperList(const model::PaperData& paper);

// The start page of the first article, or −1 when there is none.
inline int firstPaperPage(const std::vector<PaperEntry>& list) {
  return list.empty() ? -1 : list.front().startPage;
}

}  // namespace vellary::recompose
