// Tesseract's TSV: one row per page, block, paragraph, line and word (level 1 … 5) with its box,
// and the word's confidence and text. Words only: their characters are spread over the word's
// box; the direction comes from the shape of the lines.
#include <algorithm>
#include <cstring>
#include <string>

#include "formats/import_support.h"
#include "formats/importers.h"
#include "formats/xml_input.h"
#include "model/paper.h"

namespace vellary::formats::detail {

namespace {

using namespace model;

constexpr size_t kMaxRow = 1u << 20;

struct Word {
  Box box;
  std::vector<CharText> text;
  uint16_t cc = kDefaultConfidence;
};
struct Line {
  Box box;
  std::vector<Word> words;
  size_t chars = 0;
};
struct Paragraph {
  Box box;
  std::vector<Line> lines;
};

class TsvReader {
 public:
  TsvReader(ByteSource& source, PaperData& paper, const ImportInput& input)
      : source_(source),
        paper_(paper),
        input_(input),
        budget_([this](int code, std::string_view s) { fail(code, s); }, input.progress) {}

  void read() {
    budget_.start();
    std::string row;
    while (nextRow(row)) {
      ++line_;
      if (row.empty() || row.starts_with("level\t")) continue;
      takeRow(row);
    }
    endPage();
    if (paper_.pages.empty()) fail(ErrorStructure, "データ構造が間違っています。");
  }

 private:
  [[noreturn]] void fail(int code, std::string_view sentence) const {
    std::string message(sentence);
    if (line_ > 0) message += "[" + std::to_string(line_) + "行目]";
    throw ImportFailure{code, std::move(message), line_, {}};
  }

  // The next row without its line end; false at the end of the input.
  bool nextRow(std::string& row) {
    row.clear();
    for (;;) {
      if (pos_ == have_) {
        const long n = source_.read(buffer_, sizeof buffer_);
        if (n < 0) throw ImportFailure{ErrorOpen, errorMessage(ErrorOpen, 0), 0, {}};
        if (n == 0) return !row.empty();
        have_ = static_cast<size_t>(n);
        pos_ = 0;
      }
      const char* start = buffer_ + pos_;
      const char* end = static_cast<const char*>(std::memchr(start, '\n', have_ - pos_));
      const size_t take = end ? static_cast<size_t>(end - start) : have_ - pos_;
      if (row.size() + take > kMaxRow) {
        ++line_;
        fail(ErrorLimit, "行が長すぎます。");
      }
      row.append(start, take);
      pos_ += take + (end ? 1 : 0);
      if (end) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        return true;
      }
    }
  }

  void takeRow(const std::string& row) {
    std::vector<std::string_view> f;
    size_t i = 0;
    while (f.size() < 11) {
      const size_t tab = row.find('\t', i);
      if (tab == std::string::npos) fail(ErrorElement, "要素が間違っています。");
      f.emplace_back(std::string_view(row).substr(i, tab - i));
      i = tab + 1;
    }
    f.emplace_back(std::string_view(row).substr(i));  // the text, which may hold blanks
    double n[11];
    for (int k = 0; k < 11; ++k) {
      auto v = parseNumber(f[static_cast<size_t>(k)]);
      if (!v) fail(ErrorElement, "要素が間違っています。");
      n[k] = *v;
    }
    const int level = n[0] >= 1 && n[0] <= 5 ? static_cast<int>(n[0]) : 0;
    const Box box = boxFromSize(n[6], n[7], n[8], n[9]);
    switch (level) {
      case 1:
        endPage();
        startPage(box);
        break;
      case 2:
      case 3:
        ensurePage();
        endParagraph();
        paragraph_.box = clip(box, page_->width, page_->height);
        break;
      case 4:
        ensurePage();
        budget_.addLine();
        paragraph_.lines.push_back(Line{clip(box, page_->width, page_->height), {}, 0});
        break;
      case 5: {
        ensurePage();
        if (paragraph_.lines.empty()) {
          budget_.addLine();
          paragraph_.lines.push_back(Line{clip(box, page_->width, page_->height), {}, 0});
        }
        Word w;
        w.box = clip(box, page_->width, page_->height);
        w.text = splitCharacters(f[11]);
        // Confidence −1 marks rows without text of their own.
        w.cc = n[10] >= 0 ? confidenceFromPercent(n[10]) : kDefaultConfidence;
        budget_.addCharacters(static_cast<long>(w.text.size()));
        Line& l = paragraph_.lines.back();
        l.chars += w.text.size();
        l.words.push_back(std::move(w));
        break;
      }
      default:
        fail(ErrorElement, "要素が間違っています。");
    }
  }

  void startPage(const Box& box) {
    budget_.startPage();
    PageData& page = paper_.pages.emplace_back();
    page_ = &page;
    recordImage(page, "", input_.documentPath);
    page.width = box.width > 0 ? static_cast<int32_t>(box.right()) : -1;
    page.height = box.height > 0 ? static_cast<int32_t>(box.bottom()) : -1;
    page.dpi = -1;
  }
  void ensurePage() {
    if (page_ == nullptr) startPage(Box{});
  }

  void endParagraph() {
    if (page_ == nullptr || paragraph_.lines.empty()) {
      paragraph_ = Paragraph{};
      return;
    }
    std::vector<LineExtent> extents;
    for (const Line& l : paragraph_.lines) extents.push_back(LineExtent{l.box, l.chars});
    const int vote = verticalVote(extents);
    const bool vertical = vote == 1;
    BlockData& block = page_->blocks.emplace_back();
    block.langId = kLangJapanese;
    block.bid = -1;
    block.direction = vertical ? Vertical : Horizontal;
    setBox(block, paragraph_.box);
    for (const Line& l : paragraph_.lines) {
      LineData& line = block.lines.emplace_back();
      setBox(line, l.box);
      bool first = true;
      for (const Word& w : l.words) {
        const std::vector<PendingChar> chars = spreadCharacters(w.text, w.box, vertical, w.cc);
        appendWord(line, chars, first ? Blank::None : Blank::UnlessCjk, vertical);
        first = first && chars.empty();
      }
    }
    finishBlock(block);
    if (vote < 0) undecided_.push_back(&block);
    paragraph_ = Paragraph{};
  }

  void endPage() {
    endParagraph();
    if (page_ == nullptr) return;
    settleUndecided(*page_, undecided_);
    undecided_.clear();
    finishPage(*page_);
    budget_.endPage(static_cast<int>(paper_.pages.size()));
    page_ = nullptr;
  }

  ByteSource& source_;
  PaperData& paper_;
  const ImportInput& input_;
  Budget budget_;
  char buffer_[65536];
  size_t pos_ = 0, have_ = 0;
  int line_ = 0;
  PageData* page_ = nullptr;
  Paragraph paragraph_;
  std::vector<BlockData*> undecided_;  // of the current page
};

}  // namespace

ReadOutcome readTsv(ImportInput& input) {
  return runImport([&](PaperData& paper) { TsvReader(*input.source, paper, input).read(); });
}

}  // namespace vellary::formats::detail
