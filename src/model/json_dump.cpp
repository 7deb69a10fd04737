// JSON form of the model. Field names follow the records; baseLine becomes the index of the base
// line within its group so that two dumps of equal models compare equal as text.
#include "json_dump.h"

#include <cstdio>
#include <functional>

#include "paper.h"
#include "text.h"

namespace vellary::model {

namespace {

// Output beyond this goes to the sink (when there is one) as the dump goes on: a character may
// stand for thousands of empty candidate slots, so a small file can make a very large dump.
constexpr size_t kFlushBytes = 1 << 20;

class Writer {
 public:
  using Sink = std::function<bool(std::string_view)>;
  explicit Writer(const PaperData& paper, const Sink* sink = nullptr)
      : paper_(paper), sink_(sink) {}

  // With a sink: what is left for it (the sink has had the rest, or failed: see failed()).
  std::string run() {
    out_ += "{\"encoding\": " + std::to_string(paper_.encoding);
    field("maxPageWidth", paper_.maxPageWidth);
    field("maxPageHeight", paper_.maxPageHeight);
    out_ += ", \"pages\": [";
    bool first = true;
    for (const PageData& p : paper_.pages) {
      if (!first) out_ += ", ";
      first = false;
      page(p);
    }
    out_ += "]}\n";
    return std::move(out_);
  }
  bool failed() const { return failed_; }

 private:
  void flushIfLarge() {
    if (sink_ == nullptr || out_.size() < kFlushBytes) return;
    if (!failed_ && !(*sink_)(out_)) failed_ = true;
    out_.clear();
  }
  void field(const char* name, long value) {
    out_ += ", \"";
    out_ += name;
    out_ += "\": ";
    out_ += std::to_string(value);
  }
  void fieldFloat(const char* name, float value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", static_cast<double>(value));
    out_ += ", \"";
    out_ += name;
    out_ += "\": ";
    out_ += buf;
  }
  void fieldString(const char* name, std::u16string_view value) {
    out_ += ", \"";
    out_ += name;
    out_ += "\": ";
    out_ += jsonString(toUtf8(value));
  }
  void fieldOptional(const char* name, const std::optional<std::u16string>& value) {
    if (value)
      fieldString(name, *value);
    else
      out_ += std::string(", \"") + name + "\": null";
  }
  void units(const CharText& t) {
    out_ += ", \"units\": [";
    for (int i = 0, n = charTextLength(t); i < n; ++i) {
      if (i) out_ += ", ";
      out_ += std::to_string(static_cast<unsigned>(t[i]));
    }
    out_ += "]";
  }
  void text(const CharText& t) {
    out_ += "\"text\": ";
    out_ += jsonString(toUtf8(std::u16string_view(t.data(), charTextLength(t))));
    units(t);
  }

  void page(const PageData& p) {
    out_ += "{\"number\": " + std::to_string(p.number);
    fieldOptional("file", p.file);
    fieldOptional("fullpath", p.fullpath);
    field("width", p.width);
    field("height", p.height);
    field("dpi", p.dpi);
    out_ += ", \"blocks\": [";
    bool first = true;
    for (const BlockData& b : p.blocks) {
      if (!first) out_ += ", ";
      first = false;
      block(b);
    }
    out_ += "]}";
  }

  void block(const BlockData& b) {
    out_ += "{\"type\": " + jsonString(toUtf8(blockTypeWord(b.type)));
    out_ += ", \"direction\": " + jsonString(toUtf8(directionWord(b.direction)));
    field("x", b.x);
    field("y", b.y);
    field("width", b.width);
    field("height", b.height);
    fieldString("sec", sectionWord(paper_, b.sec));
    field("secCode", b.sec);
    field("langId", b.langId);
    field("bid", b.bid);
    field("charCount", b.charCount);
    fieldFloat("avgLineSize", b.avgLineSize);
    lines(b.lines);
    out_ += ", \"cells\": [";
    bool first = true;
    for (const CellData& c : b.cells) {
      if (!first) out_ += ", ";
      first = false;
      cell(c);
    }
    out_ += "]}";
  }

  void cell(const CellData& c) {
    out_ += "{\"row\": " + std::to_string(c.row);
    field("col", c.col);
    field("x", c.x);
    field("y", c.y);
    field("width", c.width);
    field("height", c.height);
    field("lineCount", c.lineCount);
    out_ += ", \"border\": [";
    for (int i = 0; i < 4; ++i) {
      if (i) out_ += ", ";
      out_ += jsonString(toUtf8(borderStyleWord(c.border[i])));
    }
    out_ += "]";
    field("connectGroup", c.connectGroup);
    field("align", c.align);
    field("valign", c.valign);
    field("charCount", c.charCount);
    fieldFloat("avgLineSize", c.avgLineSize);
    lines(c.lines);
    out_ += "}";
  }

  void lines(const List<LineData>& group) {
    out_ += ", \"lines\": [";
    bool first = true;
    for (const LineData& l : group) {
      if (!first) out_ += ", ";
      first = false;
      line(l, group);
    }
    out_ += "]";
  }

  void line(const LineData& l, const List<LineData>& group) {
    out_ += "{\"x\": " + std::to_string(l.x);
    field("y", l.y);
    field("width", l.width);
    field("height", l.height);
    field("widthOrg", l.widthOrg);
    field("heightOrg", l.heightOrg);
    field("charCount", l.charCount);
    fieldString("attr", lineAttrWord(l.attr));
    out_ += ", \"baseLine\": ";
    long index = -1, i = 0;
    for (const LineData& candidate : group) {
      if (&candidate == l.baseLine) index = i;
      ++i;
    }
    out_ += index >= 0 ? std::to_string(index) : "null";
    field("rcs", l.rcs);
    field("rce", l.rce);
    out_ += ", \"chars\": [";
    bool first = true;
    for (const CharData& c : l.chars) {
      if (!first) out_ += ", ";
      first = false;
      character(c);
    }
    out_ += "]}";
  }

  void character(const CharData& c) {
    out_ += "{\"x\": " + std::to_string(c.x);
    field("y", c.y);
    field("width", c.width);
    field("height", c.height);
    out_ += ", ";
    text(c.text);
    field("cc", c.cc);
    out_ += ", \"cand\": [";
    for (int i = 0; i < c.numCand(); ++i) {
      if (i) out_ += ", ";
      out_ += "{";
      text(c.candText(i));
      field("cc", c.candCC(i));
      out_ += "}";
    }
    out_ += "]";
    field("modRubyEmp", c.modRubyEmp);
    field("modRotTcy", c.modRotTcy);
    field("changed", c.changed);
    out_ += "}";
    flushIfLarge();
  }

  const PaperData& paper_;
  const Sink* sink_;
  bool failed_ = false;
  std::string out_;
};

}  // namespace

std::string jsonString(std::string_view utf8) {
  std::string out = "\"";
  for (unsigned char ch : utf8) {
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (ch < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", ch);
          out += buf;
        } else {
          out += static_cast<char>(ch);
        }
    }
  }
  out += '"';
  return out;
}

std::string dumpJson(const PaperData& paper) { return Writer(paper).run(); }

bool dumpJson(const PaperData& paper, const std::function<bool(std::string_view)>& sink) {
  Writer writer(paper, &sink);
  const std::string rest = writer.run();
  return !writer.failed() && sink(rest);
}

std::string dumpSummaryJson(const PaperData& paper) {
  PaperCounts n = countPaper(paper);
  return "{\"pages\": " + std::to_string(n.pages) + ", \"blocks\": " + std::to_string(n.blocks) +
         ", \"lines\": " + std::to_string(n.lines) + ", \"chars\": " + std::to_string(n.chars) +
         ", \"candidates\": " + std::to_string(n.candidates) + "}\n";
}

}  // namespace vellary::model
