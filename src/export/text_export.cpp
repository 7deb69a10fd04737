// The Unicode text writer.
#include "export/text_export.h"

#include <iterator>
#include <map>
#include <vector>

#include "model/atomic_file.h"

namespace vellary::exporting {

namespace {

constexpr char16_t kRubyBaseMark = u'｜', kRubyOpen = u'《', kRubyClose = u'》';

class TextWriter {
 public:
  explicit TextWriter(const TextOptions& options) : options_(options) { out_ = "\xFF\xFE"; }

  void page(const model::PageData& page) {
    const size_t before = out_.size();
    for (const model::BlockData& block : page.blocks) {
      if (block.type == model::BlockText) {
        lines(block.lines);
        endLine();
      } else if (block.type == model::BlockTable) {
        for (auto cell = block.cells.begin(); cell != block.cells.end(); ++cell) {
          lines(cell->lines);
          auto next = std::next(cell);
          if (next == block.cells.end() || next->row > cell->row)
            lineBreak();
          else
            put(u'\t');
        }
      }
    }
    // A blank line between pages.
    if (out_.size() > before) lineBreak();
  }

  std::string take() { return std::move(out_); }

 private:
  void put(char16_t unit) {
    out_.push_back(static_cast<char>(unit & 0xFF));
    out_.push_back(static_cast<char>(unit >> 8));
  }
  void lineBreak() {
    put(u'\r');
    put(u'\n');
  }
  // Ends the text written so far with a line break unless it already ends with one.
  void endLine() {
    if (out_.size() <= 2 || (out_[out_.size() - 2] == '\n' && out_.back() == 0)) return;
    lineBreak();
  }
  void putChar(const model::CharData& c) {
    if (c.text[0] == u'\r' && c.text[1] == 0) {
      lineBreak();
      return;
    }
    if (c.text[0] == 0) return;
    put(c.text[0]);
    if (c.text[1] != 0) put(c.text[1]);
  }

  // The normal lines of a block or cell in order. Side lines are left out; a ruby line, when ruby
  // is written, stands after the last of its base characters.
  void lines(const model::List<model::LineData>& all) {
    struct Ruby {
      const model::LineData* line;
      int last;  // 0-based index of its last base character
    };
    std::map<const model::LineData*, std::vector<Ruby>> rubies;
    std::map<const model::LineData*, std::vector<int>> starts;
    if (options_.ruby == RubyNotation::Aozora) {
      for (const model::LineData& l : all) {
        if (l.attr != model::AttrRuby || l.baseLine == nullptr || l.chars.empty()) continue;
        const int count = static_cast<int>(l.baseLine->chars.size());
        const int from = l.rcs - 1, to = std::min(l.rce, count) - 1;
        if (from < 0 || to < from) continue;
        starts[l.baseLine].push_back(from);
        rubies[l.baseLine].push_back({&l, to});
      }
    }
    for (const model::LineData& line : all) {
      if (line.attr != model::AttrNone) continue;
      const auto lineStarts = starts.find(&line);
      const auto lineRubies = rubies.find(&line);
      int index = 0;
      for (const model::CharData& c : line.chars) {
        if (lineStarts != starts.end())
          for (int s : lineStarts->second)
            if (s == index) put(kRubyBaseMark);
        putChar(c);
        if (lineRubies != rubies.end())
          for (const Ruby& r : lineRubies->second)
            if (r.last == index) {
              put(kRubyOpen);
              for (const model::CharData& rc : r.line->chars) putChar(rc);
              put(kRubyClose);
            }
        ++index;
      }
    }
  }

  const TextOptions& options_;
  std::string out_;
};

}  // namespace

std::string textExportBytes(const model::PaperData& paper, int first, int last,
                            const TextOptions& options) {
  TextWriter writer(options);
  int index = 0;
  for (const model::PageData& page : paper.pages) {
    if (index > last) break;
    if (index++ < first) continue;
    writer.page(page);
  }
  return writer.take();
}

int ExportText(const model::PaperData& paper, const std::string& path, int first, int last,
               const TextOptions& options, std::string* error) {
  std::string why;
  if (model::replaceFileContents(path, textExportBytes(paper, first, last, options), why))
    return 0;
  if (error) *error = "ファイル " + path + " が保存できません。（" + why + "）";
  return -1;
}

}  // namespace vellary::exporting
