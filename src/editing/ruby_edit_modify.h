// Modifying a ruby (dialog 144 "ルビ修正"): the state behind the dialog's controls. The range
// buttons move the ruby's base range at once (Cancel moves it back), the split mark and the split
// cut the ruby in two, and OK writes the new text or the two rubies. A Qt dialog mirrors the texts
// and enabled states and calls one function per control.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "appcore/prompter.h"
#include "block_edit_common.h"
#include "caret.h"
#include "document/document.h"
#include "editing_context.h"

namespace vellary::editing {

class RubyModifyDialog {
 public:
  enum Control : int {
    IdOk = 1,
    IdCancel = 2,
    AddNext = 1044,      // "次の文字を追加(&N)"
    AddPrevious = 1045,  // "前の文字を追加(&P)"
    SplitMark = 1046,    // "分割位置設定(&D)"
    RubyEdit = 1047,     // "ルビ"; the first part after a split
    BaseEdit = 1048,     // "本文", read-only; the first part after a split
    DropLast = 1049,     // "最終文字を除外(&L)"
    DropFirst = 1050,    // "先頭文字を除外(&T)"
    Prompt = 1051,
    SecondRubyEdit = 1052,
    SecondBaseEdit = 1053,
    Split = 1054,  // "ルビ分割(&R)"
  };

  // The dialog for the ruby at the caret: the caret's ruby line, or the ruby whose base range
  // holds the caret (the caret then moves into that ruby line). Nothing otherwise.
  static std::optional<RubyModifyDialog> open(CaretState& caret);

  const std::u16string& rubyText() const { return ruby_; }
  const std::u16string& secondRubyText() const { return secondRuby_; }
  const std::u16string& baseText() const { return base_; }
  const std::u16string& secondBaseText() const { return secondBase_; }
  const std::string& prompt() const { return prompt_; }  // UTF-8
  bool enabled(int control) const;
  int focus() const { return RubyEdit; }
  int32_t rcs() const { return rubyLine_->rcs; }
  int32_t rce() const { return rubyLine_->rce; }
  bool splitDone() const { return split_; }

  // The user changed the text of edit 1047.
  void setRubyText(std::u16string text);
  // Range buttons; false when refused (with its message) or not applicable.
  bool addPrevious(appcore::Prompter& prompter);
  bool dropFirst();
  bool addNext(appcore::Prompter& prompter);
  bool dropLast();
  // "分割位置設定": `cursor` is the caret position in edit 1047 (UTF-16 units).
  bool setSplitMark(int cursor, appcore::Prompter& prompter);
  // "ルビ分割": `cursor` is the caret position in edit 1048 (UTF-16 units).
  bool split(int cursor);

  // OK: the new text, or the two rubies of a split; the caret goes back where it was.
  void accept(EditScope& scope);
  // キャンセル: the base range as it was before the dialog, the caret where it was.
  void cancel(EditScope& scope);

 private:
  RubyModifyDialog() = default;
  void refreshBase();
  void validate();
  bool coveredByOther(int32_t position) const;
  void restoreCaret(CaretState& caret) const;
  // Replaces the ruby line's characters when the text changed; the key stays the line's.
  void replaceRubyText(const std::u16string& text, int32_t key);
  void splitRubyLine(document::CScrivlaDoc& doc);

  model::BlockData* block_ = nullptr;
  model::List<model::LineData>* lines_ = nullptr;
  model::LineData* rubyLine_ = nullptr;
  model::LineData* baseLine_ = nullptr;
  CaretPos remembered_;
  const model::CharData* rememberedChar_ = nullptr;
  int32_t originalRcs_ = 0, originalRce_ = 0;
  std::u16string initialRuby_, initialBase_;
  std::u16string ruby_, secondRuby_, base_, secondBase_;
  std::string prompt_;
  std::map<int, bool> enabled_;
  bool split_ = false;
  int rubySplit_ = 0;  // characters of the ruby before the split
  int baseSplit_ = 0;  // base characters before the split
};

}  // namespace vellary::editing
