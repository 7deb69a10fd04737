// Text layout and the recognition records of the sample generator.
#include "layout.h"

#include <algorithm>

#include "model/paper.h"

namespace vellary::sample {

using model::BlockData;
using model::CellData;
using model::CharData;
using model::LineData;

namespace {

// Characters a recogniser confuses, each with its usual look-alikes (all in code page 932).
struct LookAlike {
  char16_t ch;
  std::u16string_view others;
};
constexpr LookAlike kLookAlikes[] = {
    {u'末', u"未"}, {u'未', u"末"},   {u'土', u"士"},   {u'日', u"曰目"}, {u'人', u"入"},
    {u'入', u"人"}, {u'力', u"カ刀"}, {u'口', u"ロ"},   {u'二', u"ニ"},   {u'工', u"エ"},
    {u'夕', u"タ"}, {u'千', u"干"},   {u'大', u"太犬"}, {u'問', u"間"},   {u'八', u"ハ"},
    {u'王', u"玉"}, {u'白', u"自臼"}, {u'午', u"牛"},   {u'天', u"夫"},   {u'右', u"石"},
    {u'潮', u"湖"}, {u'港', u"巷"},   {u'朝', u"潮"},   {u'波', u"彼"},   {u'船', u"般"},
    {u'魚', u"魯"}, {u'市', u"巾"},   {u'場', u"揚"},   {u'揚', u"場"},   {u'岸', u"崖"},
    {u'壁', u"璧"}, {u'東', u"束"},   {u'空', u"究"},   {u'三', u"ニ"},   {u'年', u"午"},
    {u'光', u"尤"}, {u'遠', u"違"},   {u'笛', u"苗"},   {u'音', u"昔"},   {u'声', u"売"},
    {u'底', u"低"}, {u'時', u"特"},   {u'薄', u"簿"},   {u'坂', u"板"},   {u'下', u"不"},
    {u'私', u"和"}, {u'店', u"占"},   {u'老', u"考"},   {u'顔', u"頭"},   {u'帰', u"掃"},
    {u'輝', u"揮"}, {u'鳴', u"嗚"},   {u'鴎', u"鷗"},   {u'績', u"積"},   {u'減', u"滅"},
    {u'量', u"重"}, {u'若', u"苦"},   {u'へ', u"ヘ"},   {u'べ', u"ベ"},   {u'り', u"リ"},
    {u'カ', u"力"}, {u'ー', u"一－"}, {u'一', u"ー"},   {u'、', u"ヽ丶"}, {u'。', u"o"},
    {u'ゃ', u"や"}, {u'ゅ', u"ゆ"},   {u'ょ', u"よ"},   {u'っ', u"つ"},   {u'ぃ', u"い"},
    {u'０', u"Ｏ"}, {u'1', u"l"},     {u'0', u"O"},     {u'5', u"S"},     {u'8', u"B"},
};

std::u16string_view lookAlikes(char16_t ch) {
  for (const LookAlike& l : kLookAlikes)
    if (l.ch == ch) return l.others;
  return {};
}

bool isIdeograph(char16_t ch) { return (ch >= 0x4E00 && ch <= 0x9FFF) || ch == u'々'; }
// Characters that may not begin a line: they hang at the end of the line before.
bool isClosing(char16_t ch) {
  return ch == u'、' || ch == u'。' || ch == u'」' || ch == u'）' || ch == u'，' || ch == u'．';
}

}  // namespace

uint32_t Recogniser::next() {
  // xorshift32: the same sample on every machine and compiler.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

void Recogniser::recognise(CharData& c, char16_t truth, bool sideLine) {
  if (exact_) {
    c.text = model::makeCharText(truth);
    c.cc = model::kDefaultConfidence;
    c.resetCandidates(0);
    return;
  }
  std::u16string_view alts = lookAlikes(truth);
  uint32_t roll = next() % 100;
  std::vector<std::pair<char16_t, uint16_t>> cands;
  bool low = alts.empty() ? roll < 2 : roll < (sideLine ? 45u : 22u);
  if (low && !alts.empty() && next() % 3 == 0) {
    // Misread: a look-alike comes first, the truth is the runner-up.
    cands.emplace_back(alts[0], static_cast<uint16_t>(3 + next() % 3));
    cands.emplace_back(truth, static_cast<uint16_t>(2 + next() % 2));
    if (alts.size() > 1) cands.emplace_back(alts[1], 1);
    ++misread_;
  } else if (low) {
    cands.emplace_back(truth, static_cast<uint16_t>(2 + next() % 4));
    for (char16_t a : alts) cands.emplace_back(a, static_cast<uint16_t>(1 + next() % 3));
    if (alts.empty()) cands.emplace_back(u'□', 1);
    ++low_;
  } else {
    cands.emplace_back(truth, static_cast<uint16_t>(next() % 4 == 0 ? 9 : 10));
    if (!alts.empty() && next() % 2 == 0)
      cands.emplace_back(alts[0], static_cast<uint16_t>(1 + next() % 2));
  }
  c.text = model::makeCharText(cands[0].first);
  c.cc = cands[0].second;
  c.resetCandidates(static_cast<int16_t>(cands.size()));
  for (size_t i = 0; i < cands.size(); ++i) {
    c.candText(static_cast<int>(i)) = model::makeCharText(cands[i].first);
    c.candCC(static_cast<int>(i)) = cands[i].second;
  }
}

std::vector<PageWriter::Token> PageWriter::parse(std::u16string_view markup,
                                                 std::vector<std::u16string>& rubies) const {
  std::vector<Token> tokens;
  bool emphasis = false, paragraph = false;
  for (size_t i = 0; i < markup.size(); ++i) {
    char16_t ch = markup[i];
    if (ch == u'《') {
      size_t end = markup.find(u'》', i);
      if (end == std::u16string_view::npos) break;
      int index = static_cast<int>(rubies.size());
      rubies.emplace_back(markup.substr(i + 1, end - i - 1));
      for (size_t k = tokens.size(); k-- > 0 && isIdeograph(tokens[k].ch) && tokens[k].ruby < 0;) {
        tokens[k].ruby = index;
        if (tokens[k].paragraphStart) break;
      }
      i = end;
    } else if (ch == u'｛') {
      emphasis = true;
    } else if (ch == u'｝') {
      emphasis = false;
    } else if (ch == u'＾') {
      if (!tokens.empty()) tokens.back().note = true;
    } else if (ch == u'／') {
      paragraph = true;
    } else {
      tokens.push_back(Token{ch, -1, emphasis, false, paragraph});
      paragraph = false;
    }
  }
  return tokens;
}

BlockData& PageWriter::newBlock(int32_t type, int8_t direction, int32_t sec) {
  BlockData& block = page_.blocks.emplace_back();
  block.type = type;
  block.direction = direction;
  block.sec = sec;
  block.langId = model::kLangJapanese;
  block.bid = nextBid_++;
  return block;
}

BlockData& PageWriter::plainBlock(int32_t type, int left, int top, int right, int bottom) {
  BlockData& block = newBlock(type, model::Horizontal, model::SecText);
  block.x = left;
  block.y = top;
  block.width = right - left;
  block.height = bottom - top;
  return block;
}

BlockData& PageWriter::textBlock(std::u16string_view markup, const TextStyle& style, int x, int y,
                                 int32_t sec, int margin) {
  BlockData& block =
      newBlock(model::BlockText, style.vertical ? model::Vertical : model::Horizontal, sec);
  std::vector<std::u16string> rubies;
  std::vector<Token> tokens = parse(markup, rubies);
  size_t pos = 0;
  for (int k = 0; pos < tokens.size(); ++k) {
    int indent = tokens[pos].paragraphStart ? 1 : 0;
    size_t end = std::min(tokens.size(), pos + static_cast<size_t>(style.perLine - indent));
    for (size_t i = pos + 1; i < end; ++i)
      if (tokens[i].paragraphStart) end = i;
    // A ruby run stays on one line; closing punctuation hangs at the end of the line.
    if (end < tokens.size() && tokens[end].ruby >= 0 && tokens[end - 1].ruby == tokens[end].ruby) {
      size_t start = end - 1;
      while (start > pos && tokens[start - 1].ruby == tokens[end].ruby) --start;
      if (start > pos) end = start;
    }
    if (end < tokens.size() && isClosing(tokens[end].ch) && !tokens[end].paragraphStart) ++end;
    std::vector<Token> lineTokens(tokens.begin() + static_cast<long>(pos),
                                  tokens.begin() + static_cast<long>(end));
    int lx = style.vertical ? x - k * style.pitch : x + indent * style.size;
    int ly = style.vertical ? y + indent * style.size : y + k * style.pitch;
    placeLine(block.lines, lineTokens, rubies, style, lx, ly);
    pos = end;
  }
  fitBlock(block, margin);
  return block;
}

CharData& PageWriter::addChar(LineData& line, char16_t truth, const InkBox& ink, bool side) {
  CharData& c = line.chars.emplace_back();
  c.x = ink.left;
  c.y = ink.top;
  c.width = ink.right - ink.left;
  c.height = ink.bottom - ink.top;
  recogniser_.recognise(c, truth, side);
  return c;
}

void PageWriter::placeLine(model::List<LineData>& lines, const std::vector<Token>& tokens,
                           const std::vector<std::u16string>& rubies, const TextStyle& style, int x,
                           int y) {
  LineData line;
  std::vector<Placed> placed;
  int pen = style.vertical ? y : x;
  for (const Token& t : tokens) {
    int advance = style.size;
    int cx = style.vertical ? x : pen, cy = style.vertical ? pen : y;
    InkBox ink =
        style.font->draw(canvas_, t.ch, style.size, cx, cy, style.vertical, style.colour, &advance);
    InkBox cell = style.vertical ? InkBox{cx, cy, cx + style.size, cy + advance}
                                 : InkBox{cx, cy, cx + advance, cy + style.size};
    placed.push_back(Placed{t, cell, ink});
    pen += advance;
    if (!ink.empty()) addChar(line, t.ch, ink, false);
  }
  const int small = style.size / 2;
  std::vector<LineData> sides;
  auto side = [&](int16_t attr) -> LineData& {
    LineData& l = sides.emplace_back();
    l.attr = attr;
    return l;
  };
  // Ruby: one side line per run, its characters centred along the run.
  for (size_t i = 0; i < placed.size();) {
    int ruby = placed[i].token.ruby;
    size_t j = i + 1;
    while (j < placed.size() && ruby >= 0 && placed[j].token.ruby == ruby) ++j;
    if (ruby >= 0) {
      InkBox span = placed[i].cell;
      for (size_t k = i; k < j; ++k) span.add(placed[k].cell);
      const std::u16string& text = rubies[ruby];
      int length = static_cast<int>(text.size()) * small;
      LineData& l = side(model::AttrRuby);
      for (size_t k = 0; k < text.size(); ++k) {
        int along = static_cast<int>(k) * small;
        int rx = style.vertical ? span.right + 2
                                : span.left + (span.right - span.left - length) / 2 + along;
        int ry = style.vertical ? span.top + (span.bottom - span.top - length) / 2 + along
                                : span.top - small - 2;
        InkBox ink =
            style.font->draw(canvas_, text[k], small, rx, ry, style.vertical, style.colour);
        if (!ink.empty()) addChar(l, text[k], ink, true);
      }
    }
    i = j;
  }
  // Emphasis: a sesame mark beside each character of a run, read by recognition as "、".
  for (size_t i = 0; i < placed.size();) {
    if (!placed[i].token.emphasis) {
      ++i;
      continue;
    }
    LineData& l = side(model::AttrEmph);
    for (; i < placed.size() && placed[i].token.emphasis; ++i) {
      const InkBox& c = placed[i].cell;
      int ex = style.vertical ? c.right + 2 : c.left + (c.right - c.left - small) / 2;
      int ey = style.vertical ? c.top + (c.bottom - c.top - small) / 2 : c.top - small - 2;
      InkBox ink = style.font->draw(canvas_, 0xFE45, small, ex, ey, false, style.colour);
      if (!ink.empty()) addChar(l, u'、', ink, true);
    }
  }
  // Note marks: a small asterisk beside the top (vertical) or above the end (horizontal).
  for (const Placed& p : placed) {
    if (!p.token.note) continue;
    LineData& l = side(model::AttrFootnote);
    int nx = style.vertical ? p.cell.right + 2 : p.cell.right - small / 2;
    int ny = style.vertical ? p.cell.top : p.cell.top - small - 2;
    InkBox ink = style.font->draw(canvas_, u'＊', small, nx, ny, style.vertical, style.colour);
    if (!ink.empty()) addChar(l, u'＊', ink, true);
  }
  // Recognition lists a column's side lines before it: they stand to its right (vertical) or
  // above it (horizontal), so they come first in reading order.
  for (LineData& l : sides) {
    if (l.chars.empty()) continue;
    fitLine(l);
    lines.push_back(std::move(l));
  }
  if (!line.chars.empty()) {
    fitLine(line);
    lines.push_back(std::move(line));
  }
}

void PageWriter::cellText(CellData& cell, std::u16string_view text, const TextStyle& style,
                          bool centre) {
  std::vector<std::u16string> rubies;
  std::vector<Token> tokens = parse(text, rubies);
  int width = 0;
  for (const Token& t : tokens) {
    int advance = style.size;
    Canvas scratch(1, 1, Rgb{255, 255, 255});
    style.font->draw(scratch, t.ch, style.size, 0, 0, false, style.colour, &advance);
    width += advance;
  }
  int x = centre ? cell.x + (cell.width - width) / 2 : cell.x + style.size / 2;
  int y = cell.y + (cell.height - style.size) / 2;
  placeLine(cell.lines, tokens, rubies, style, x, y);
  model::computeCellAverages(cell, model::Horizontal);
}

void fitLine(LineData& line) {
  InkBox box;
  line.charCount = 0;
  for (const CharData& c : line.chars) {
    box.add(InkBox{c.x, c.y, c.x + c.width, c.y + c.height});
    line.charCount += model::charTextLength(c.text);
  }
  line.x = box.left;
  line.y = box.top;
  line.width = line.widthOrg = box.right - box.left;
  line.height = line.heightOrg = box.bottom - box.top;
}

void fitBlock(BlockData& block, int margin) {
  InkBox box;
  for (const LineData& l : block.lines) box.add(InkBox{l.x, l.y, l.x + l.width, l.y + l.height});
  block.x = box.left - margin;
  block.y = box.top - margin;
  block.width = box.right - box.left + 2 * margin;
  block.height = box.bottom - box.top + 2 * margin;
  model::computeBlockAverages(block);
}

}  // namespace vellary::sample
