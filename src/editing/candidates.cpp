// The character menu, the page menu, choosing a candidate and the replacement dialog's logic.
#include "candidates.h"

#include <algorithm>
#include <cstdlib>

#include "find_replace_page.h"
#include "model/codes.h"

namespace vellary::editing {

using model::CharData;
using model::CharText;

namespace {

const model::BlockEntry* currentEntry(document::CScrivlaDoc& doc, const CaretState& caret) {
  const int page = doc.currentPage();
  if (page < 0 || static_cast<size_t>(page) >= doc.blockEntries().pageCount()) return nullptr;
  const auto& entries = doc.blockEntries().page(static_cast<size_t>(page)).entries;
  if (caret.entry < 0 || static_cast<size_t>(caret.entry) >= entries.size()) return nullptr;
  return &entries[static_cast<size_t>(caret.entry)];
}

bool verticalAtCaret(document::CScrivlaDoc& doc, const CaretState& caret) {
  if (const model::BlockEntry* e = currentEntry(doc, caret)) return e->direction == model::Vertical;
  return caret.caret.block != nullptr && caret.caret.block->direction == model::Vertical;
}

// A vertical block shows an arrow turned a quarter clockwise, so the recogniser read it turned:
// what it calls ↑ is a ← on the page.
char16_t quarterTurnedArrow(char16_t u) {
  switch (u) {
    case u'↑':
      return u'←';
    case u'↓':
      return u'→';
    case u'←':
      return u'↓';
    case u'→':
      return u'↑';
    default:
      return 0;
  }
}

std::u16string textOf(const CharText& t) {
  return std::u16string(t.data(), static_cast<size_t>(model::charTextLength(t)));
}

CharMenuItem item(int id, std::u16string text) { return CharMenuItem{id, std::move(text), false, true}; }
CharMenuItem separator() { return CharMenuItem{}; }

// The caret character itself, when the caret stands before one.
CharData* caretCharacter(const CaretState& caret) {
  if (!caret.caret.valid() || caret.caret.atLineEnd()) return nullptr;
  return &*caret.caret.ch;
}

void finishCharacterEdit(const CorrectionContext& ctx) {
  // The character's line is drawn again; a side line over it follows its base in the redraw.
  ctx.scope.line(ctx.caret.caret.line).caretMoved();
}

}  // namespace

std::u16string candidateItemText(const CharText& candidate, const std::u16string& explanation) {
  std::u16string text = textOf(candidate);
  if (explanation.empty()) return text;
  text += candidate[0] >= 0xFF ? u"\u3000" : u" \u3000";
  return text + explanation;
}

bool pointInCurrentEntry(document::CScrivlaDoc& doc, const CaretState& caret, int32_t x,
                         int32_t y) {
  const model::BlockEntry* e = currentEntry(doc, caret);
  return e != nullptr && x >= e->x && x - e->x < e->width && y >= e->y && y - e->y < e->height;
}

bool characterMenuApplies(document::CScrivlaDoc& doc, const CaretState& caret, int32_t x,
                          int32_t y) {
  const model::BlockEntry* e = currentEntry(doc, caret);
  if (e == nullptr || (e->type != model::BlockText && e->type != model::BlockTable)) return false;
  return caret.caret.valid() && pointInCurrentEntry(doc, caret, x, y);
}

ContextMenu buildCharacterMenu(const CaretState& caret, const appcore::CharTable* explanations) {
  ContextMenu menu;
  if (!caret.caret.valid()) return menu;
  const Selection& sel = caret.selection;
  if (!sel.empty() && sel.anchor.line != sel.active.line) return menu;

  menu.kind = ContextMenu::Kind::Character;
  menu.context = caret.caret;
  const bool enabled = candidateCommandsEnabled(caret);
  const CharData* ch = caretCharacter(caret);
  if (ch != nullptr) {
    const int count = std::min<int>(ch->numCand(), CmdLastCandidate - CmdFirstCandidate + 1);
    for (int i = 0; i < count; ++i) {
      const CharText& cand = ch->candText(i);
      std::u16string explanation =
          explanations ? explanations->explanationOf(textOf(cand)) : std::u16string();
      CharMenuItem m = item(CmdFirstCandidate + i, candidateItemText(cand, explanation));
      m.checked = cand[0] == ch->text[0];
      m.enabled = enabled;
      menu.items.push_back(std::move(m));
    }
  }
  menu.items.push_back(separator());
  if (!sel.empty()) {
    menu.selectionItemsFollow = true;
    return menu;
  }
  CharMenuItem replace = item(CmdReplaceCharacter, u"置換(&R)...");
  replace.enabled = enabled;
  menu.items.push_back(std::move(replace));
  if (ch == nullptr) return menu;
  if (model::isRubyKey(ch->modRubyEmp)) {
    menu.items.push_back(separator());
    menu.items.push_back(item(CmdRubyModify, u"ルビ修正(&M)..."));
    menu.items.push_back(item(CmdRubyDelete, u"ルビ削除(&D)"));
  }
  if (model::isEmphasisKey(ch->modRubyEmp)) menu.items.push_back(item(CmdEmphasisDelete, u"圏点削除(&P)"));
  if (model::isTurned(*ch))
    menu.items.push_back(item(CmdNormalOrientation, u"通常文字(&N)"));
  return menu;
}

ContextMenu buildPageMenu(document::CScrivlaDoc& doc) {
  ContextMenu menu;
  const model::PaperData* paper = doc.paper();
  if (paper == nullptr || paper->pages.empty()) return menu;
  const int last = static_cast<int>(paper->pages.size()) - 1;
  menu.kind = ContextMenu::Kind::Page;
  CharMenuItem next = item(appcore::IdNextPage, u"次のページへ");
  next.enabled = doc.currentPage() < last;
  CharMenuItem previous = item(appcore::IdPreviousPage, u"前のページへ");
  previous.enabled = doc.currentPage() > 0;
  menu.items = {std::move(next), std::move(previous)};
  return menu;
}

bool chooseCandidate(const CorrectionContext& ctx, int index) {
  CharData* ch = caretCharacter(ctx.caret);
  if (ch == nullptr || index < 0 || index >= ch->numCand()) return false;
  ctx.scope.willChange(document::UndoCandidate);
  const CharText candidate = ch->candText(index);
  const int before = model::charTextLength(ch->text);
  const int length = model::charTextLength(candidate);
  if (length == 1 || length == 2) {
    const char16_t turned =
        verticalAtCaret(ctx.doc, ctx.caret) ? quarterTurnedArrow(candidate[0]) : char16_t{0};
    // The turned arrow is the whole text: keeping a second unit behind it would leave half of a
    // surrogate pair.
    ch->text = turned != 0 ? model::makeCharText(turned) : candidate;
  }
  ch->cc = model::kDefaultConfidence;
  ch->changed = 1;
  if (ctx.caret.caret.block != nullptr)
    addUnitsToCounts(*ctx.caret.caret.block, *ctx.caret.caret.line,
                     model::charTextLength(ch->text) - before);
  finishCharacterEdit(ctx);
  return true;
}

bool isSingleCharacter(std::u16string_view text) {
  auto high = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
  auto low = [](char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
  if (text.size() == 1) return !high(text[0]) && !low(text[0]);
  return text.size() == 2 && high(text[0]) && low(text[1]);
}

std::optional<ReplaceCharDialog> openReplaceCharDialog(const CorrectionContext& ctx) {
  const CharData* ch = caretCharacter(ctx.caret);
  if (ch == nullptr) return std::nullopt;
  ReplaceCharDialog dialog;
  dialog.recognised = textOf(ch->text);
  dialog.addToTable = ctx.frame.registerReplacement != 0;
  return dialog;
}

bool acceptReplaceCharDialog(const CorrectionContext& ctx, const ReplaceCharDialog& dialog) {
  CharData* ch = caretCharacter(ctx.caret);
  if (ch == nullptr || !isSingleCharacter(dialog.replacement)) return false;
  ctx.scope.willChange(document::UndoReplace);
  const std::u16string recognised = textOf(ch->text);
  const CharText text = dialog.replacement.size() == 2
                            ? model::makeCharText(dialog.replacement[0], dialog.replacement[1])
                            : model::makeCharText(dialog.replacement[0]);
  const int delta = model::charTextLength(text) - model::charTextLength(ch->text);
  ch->text = text;
  ch->changed = 1;
  if (ctx.caret.caret.block != nullptr)
    addUnitsToCounts(*ctx.caret.caret.block, *ctx.caret.caret.line, delta);
  if (dialog.addToTable) registerReplacementPair(ctx, recognised, dialog.replacement);
  ctx.frame.registerReplacement = dialog.addToTable ? 1 : 0;
  finishCharacterEdit(ctx);
  return true;
}

}  // namespace vellary::editing
