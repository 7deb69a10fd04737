// Dialog 144 "ルビ修正": range buttons, split mark and split, validation, OK and Cancel.
#include "ruby_edit_modify.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "appcore/settings.h"
#include "ruby_edit.h"

namespace vellary::editing {

using namespace model;

namespace {

constexpr char kPreviousTaken[] = "前の文字は他のルビの被ルビ文字となっているため追加できません";
constexpr char kNextTaken[] = "次の文字は他のルビの被ルビ文字となっているため追加できません";
constexpr char kSplitAtEdge[] = "文字列の最初または最後を分割位置に指定できません";
constexpr char kClickBase[] = "本文の分割位置をクリックしてください";
constexpr char16_t kSplitMarkUnit = u'*';

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

// The characters wholly inside the first `units` UTF-16 units of a text.
int charactersBefore(const std::u16string& text, size_t units) {
  int n = 0;
  for (size_t i = 0; i < units && i < text.size(); ++i) {
    if (isHighSurrogate(text[i]) && i + 1 < text.size()) {
      if (i + 1 >= units) break;
      ++i;
    }
    ++n;
  }
  return n;
}

bool placed(const CharData& c) { return c.x >= 0 && c.y >= 0; }

}  // namespace

std::optional<RubyModifyDialog> RubyModifyDialog::open(CaretState& caret) {
  const CaretPos c = caret.caret;
  if (!c.valid() || c.block == nullptr) return std::nullopt;
  LineData* ruby = nullptr;
  if (c.line->attr == AttrRuby && c.line->rcs > 0 && c.line->baseLine != nullptr) {
    ruby = c.line;
  } else if (!c.atLineEnd()) {
    List<LineData>* lines = detail::lineListOf(*c.block, c.line);
    const int pos = c.index() + 1;
    if (lines != nullptr)
      for (LineData& l : *lines)
        if (l.attr == AttrRuby && l.baseLine == c.line && l.rcs > 0 && l.rcs <= pos &&
            pos <= l.rce) {
          ruby = &l;
          break;
        }
  }
  if (ruby == nullptr) return std::nullopt;

  RubyModifyDialog d;
  d.block_ = c.block;
  d.lines_ = detail::lineListOf(*c.block, ruby);
  if (d.lines_ == nullptr) return std::nullopt;
  d.rubyLine_ = ruby;
  d.baseLine_ = ruby->baseLine;
  d.remembered_ = c;
  d.rememberedChar_ = c.atLineEnd() ? nullptr : &*c.ch;
  d.originalRcs_ = ruby->rcs;
  d.originalRce_ = ruby->rce;
  d.ruby_ = d.initialRuby_ = detail::textOf(*ruby);
  d.refreshBase();
  d.initialBase_ = d.base_;
  for (int id : {IdOk, IdCancel, AddNext, AddPrevious, SplitMark, RubyEdit, BaseEdit, DropLast,
                 DropFirst, Prompt, SecondRubyEdit, SecondBaseEdit, Split})
    d.enabled_[id] = true;
  d.enabled_[Split] = false;
  d.enabled_[IdOk] = false;
  if (caret.caret.line != ruby) caret.caret = CaretPos{c.block, cellOf(*c.block, ruby), ruby, ruby->chars.begin()};
  return d;
}

bool RubyModifyDialog::enabled(int control) const {
  auto it = enabled_.find(control);
  return it != enabled_.end() && it->second;
}

void RubyModifyDialog::refreshBase() {
  base_ = detail::textOf(*baseLine_, rubyLine_->rcs - 1, rubyLine_->rce);
}

void RubyModifyDialog::validate() {
  bool ok = false;
  if (split_)
    ok = true;
  else if (ruby_.empty() || ruby_.find(kSplitMarkUnit) != std::u16string::npos)
    ok = false;
  else
    ok = ruby_ != initialRuby_ || base_ != initialBase_;
  enabled_[IdOk] = ok;
}

bool RubyModifyDialog::coveredByOther(int32_t position) const {
  return std::any_of(lines_->begin(), lines_->end(), [&](const LineData& l) {
    return &l != rubyLine_ && l.attr != AttrNone && l.baseLine == baseLine_ && l.rcs > 0 &&
           l.rcs <= position && position <= l.rce;
  });
}

void RubyModifyDialog::setRubyText(std::u16string text) {
  if (!enabled(RubyEdit)) return;
  ruby_ = std::move(text);
  validate();
}

bool RubyModifyDialog::addPrevious(appcore::Prompter& prompter) {
  if (!enabled(AddPrevious) || rubyLine_->rcs < 2) return false;
  if (coveredByOther(rubyLine_->rcs - 1)) {
    prompter.message(kPreviousTaken, appcore::kAppTitle);
    return false;
  }
  --rubyLine_->rcs;
  refreshBase();
  validate();
  return true;
}

bool RubyModifyDialog::dropFirst() {
  const int32_t n = static_cast<int32_t>(baseLine_->chars.size());
  if (!enabled(DropFirst) || rubyLine_->rcs >= n || rubyLine_->rcs >= rubyLine_->rce) return false;
  ++rubyLine_->rcs;
  refreshBase();
  validate();
  return true;
}

bool RubyModifyDialog::addNext(appcore::Prompter& prompter) {
  const int32_t n = static_cast<int32_t>(baseLine_->chars.size());
  if (!enabled(AddNext) || rubyLine_->rce >= n) return false;
  if (coveredByOther(rubyLine_->rce + 1)) {
    prompter.message(kNextTaken, appcore::kAppTitle);
    return false;
  }
  ++rubyLine_->rce;
  refreshBase();
  validate();
  return true;
}

bool RubyModifyDialog::dropLast() {
  if (!enabled(DropLast) || rubyLine_->rce <= 1 || rubyLine_->rcs >= rubyLine_->rce) return false;
  --rubyLine_->rce;
  refreshBase();
  validate();
  return true;
}

bool RubyModifyDialog::setSplitMark(int cursor, appcore::Prompter& prompter) {
  if (!enabled(SplitMark)) return false;
  // An earlier mark gives way to the new one.
  std::u16string text;
  int at = cursor;
  for (size_t i = 0; i < ruby_.size(); ++i) {
    if (ruby_[i] == kSplitMarkUnit) {
      if (static_cast<int>(i) < cursor) --at;
      continue;
    }
    text += ruby_[i];
  }
  if (at <= 0 || at >= static_cast<int>(text.size())) {
    prompter.message(kSplitAtEdge, appcore::kAppTitle);
    return false;
  }
  text.insert(static_cast<size_t>(at), 1, kSplitMarkUnit);
  ruby_ = std::move(text);
  enabled_[RubyEdit] = enabled_[SecondRubyEdit] = enabled_[SplitMark] = false;
  enabled_[Split] = true;
  prompt_ = kClickBase;
  validate();
  return true;
}

bool RubyModifyDialog::split(int cursor) {
  const size_t mark = ruby_.find(kSplitMarkUnit);
  if (!enabled(Split) || mark == std::u16string::npos) return false;
  if (cursor <= 0 || cursor >= static_cast<int>(base_.size())) return false;
  const int q = charactersBefore(base_, static_cast<size_t>(cursor));
  if (q <= 0) return false;
  size_t units = 0;  // q whole characters in UTF-16 units
  for (int k = 0; k < q; ++k) units += isHighSurrogate(base_[units]) ? 2 : 1;
  rubySplit_ = charactersBefore(ruby_, mark);
  baseSplit_ = q;
  secondRuby_ = ruby_.substr(mark + 1);
  ruby_ = ruby_.substr(0, mark);
  secondBase_ = base_.substr(units);
  base_ = base_.substr(0, units);
  split_ = true;
  for (int id : {AddNext, AddPrevious, DropLast, DropFirst, SplitMark, Split}) enabled_[id] = false;
  validate();
  return true;
}

void RubyModifyDialog::replaceRubyText(const std::u16string& text, int32_t key) {
  LineData& line = *rubyLine_;
  if (text == detail::textOf(line)) return;
  const std::vector<CharText> chars = detail::splitCharacters(text);
  if (chars.empty()) return;
  const bool vertical = block_->direction == Vertical;
  const double extent = vertical ? line.height : line.width;
  const int64_t start = vertical ? line.y : line.x;
  const double step = extent / static_cast<double>(chars.size());
  const int32_t size = detail::clampToInt32(static_cast<int64_t>(std::trunc(0.8 * step)));
  line.chars.clear();
  for (size_t k = 0; k < chars.size(); ++k) {
    CharData& c = line.chars.emplace_back();
    c.text = chars[k];
    const int32_t along = detail::clampToInt32(
        start + static_cast<int64_t>(std::trunc(static_cast<double>(k) * step)));
    c.x = vertical ? line.x : along;
    c.y = vertical ? along : line.y;
    c.width = vertical ? line.width : size;
    c.height = vertical ? size : line.height;
    c.changed = 1;
    // The new characters stay the ruby's: its key ties them to the base characters.
    c.modRubyEmp = key;
  }
  detail::recountLine(line);
}

void RubyModifyDialog::splitRubyLine(document::CScrivlaDoc& doc) {
  LineData& old = *rubyLine_;
  auto oldIt = std::find_if(lines_->begin(), lines_->end(),
                            [&old](const LineData& l) { return &l == &old; });
  const int total = static_cast<int>(old.chars.size());
  const int p = std::clamp(rubySplit_, 1, std::max(total - 1, 1));
  if (oldIt == lines_->end() || total < 2) return;

  LineData& part = *lines_->emplace(oldIt);
  part.chars.splice(part.chars.end(), old.chars, old.chars.begin(),
                    std::next(old.chars.begin(), p));
  for (CharData& c : part.chars) c.changed = 1;
  part.lid = old.lid;
  ++old.lid;
  part.attr = old.attr;
  part.baseLine = old.baseLine;
  part.rlid = old.rlid;
  part.rcs = old.rcs;
  old.rcs += baseSplit_;
  part.rce = part.rcs + baseSplit_ - 1;
  detail::recountLine(part);
  detail::recountLine(old);

  const bool vertical = block_->direction == Vertical;
  int32_t& oldStart = vertical ? old.y : old.x;
  int32_t& oldExtent = vertical ? old.height : old.width;
  const int64_t end = int64_t{oldStart} + oldExtent;
  const CharData& first = part.chars.front();
  const CharData& last = part.chars.back();
  int64_t partStart = oldStart, partEnd = 0;
  if (placed(first) && placed(last)) {
    partStart = vertical ? first.y : first.x;
    partEnd = vertical ? int64_t{last.y} + last.height : int64_t{last.x} + last.width;
  } else {
    partEnd = oldStart + int64_t{oldExtent} * p / total;
  }
  part.x = old.x;
  part.y = old.y;
  part.width = old.width;
  part.height = old.height;
  (vertical ? part.y : part.x) = detail::clampToInt32(partStart);
  (vertical ? part.height : part.width) =
      detail::clampToInt32(std::max<int64_t>(partEnd - partStart, 0));
  part.widthOrg = part.width;
  part.heightOrg = part.height;
  oldStart = detail::clampToInt32(partEnd);
  oldExtent = detail::clampToInt32(std::max<int64_t>(end - partEnd, 0));

  // Two rubies need two keys, or deleting one would leave the other's characters without a line.
  PageData* page = detail::currentPage(doc);
  const int32_t key = (page ? detail::largestRubyKey(*page) : 0) + 1;
  for (CharData& c : part.chars) c.modRubyEmp = key;
  detail::rekeyBase(*baseLine_, key, part.rcs, part.rce);
}

void RubyModifyDialog::restoreCaret(CaretState& caret) const {
  LineData* line = remembered_.line;
  CaretPos back{remembered_.block, cellOf(*remembered_.block, line), line, {}};
  if (rememberedChar_ == nullptr) {
    back.ch = line->chars.end();
  } else if (detail::lineHolds(*line, rememberedChar_)) {
    back.ch = std::find_if(line->chars.begin(), line->chars.end(),
                           [this](const CharData& c) { return &c == rememberedChar_; });
  } else {
    // The character went with a new ruby text or into the first part of a split: the caret
    // stands at the start of the ruby's base range instead.
    back = CaretPos{block_, cellOf(*block_, baseLine_), baseLine_, detail::charAt(*baseLine_, rubyLine_->rcs - 1)};
  }
  caret.caret = back;
}

void RubyModifyDialog::accept(EditScope& scope) {
  if (!enabled(IdOk)) return cancel(scope);
  document::CScrivlaDoc& doc = scope.doc();
  CaretState& caret = scope.caret();
  // The snapshot must hold the page as it was before the dialog, not with the range the buttons
  // already moved.
  const int32_t rcs = rubyLine_->rcs, rce = rubyLine_->rce;
  rubyLine_->rcs = originalRcs_;
  rubyLine_->rce = originalRce_;
  scope.willChange(document::UndoRuby);
  rubyLine_->rcs = rcs;
  rubyLine_->rce = rce;

  int32_t key = rubyLine_->chars.empty() ? 0 : rubyLine_->chars.front().modRubyEmp;
  if (key <= 0 || !model::isRubyKey(key)) {
    PageData* page = detail::currentPage(doc);
    key = (page ? detail::largestRubyKey(*page) : 0) + 1;
    for (CharData& c : rubyLine_->chars) c.modRubyEmp = key;
  }
  if (!split_) {
    if (!ruby_.empty() && ruby_.find(kSplitMarkUnit) == std::u16string::npos)
      replaceRubyText(ruby_, key);
  } else {
    // Text typed before the mark was set is kept: the split cuts the new text.
    replaceRubyText(ruby_ + secondRuby_, key);
    splitRubyLine(doc);
  }
  // The base characters carry the key over the range as it now stands.
  detail::rekeyBase(*baseLine_, key, rubyLine_->rcs, rubyLine_->rce);
  detail::recountBlock(*block_);
  restoreCaret(caret);
  scope.layout().line(baseLine_).caretMoved();
}

void RubyModifyDialog::cancel(EditScope& scope) {
  rubyLine_->rcs = originalRcs_;
  rubyLine_->rce = originalRce_;
  restoreCaret(scope.caret());
  scope.line(baseLine_).caretMoved();
}

}  // namespace vellary::editing
