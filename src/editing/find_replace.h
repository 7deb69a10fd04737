// Finding and replacing text on the current page, continuing page by page after asking. The
// view owns the dialogs and forwards their requests here; each runs in the caller's edit scope.
#pragma once

#include <string>
#include <string_view>

#include "candidates_context.h"

namespace vellary::editing {

enum FindCommand : int {
  CmdFind = 32846,     // "検索(&F)...", Ctrl+F
  CmdReplace = 32847,  // "置換(&R)...", Ctrl+H
};

// The texts the find and replace dialogs edit. Each holds at most kUnits − 1 UTF-16 units (the
// dialogs' buffers keep a terminator), and both live as long as the program, so that a
// dialog opened again offers what was searched for last.
struct FindBuffers {
  static constexpr size_t kUnits = 80;
  std::u16string find;
  std::u16string replace;

  void setFind(std::u16string_view text) { find = fitted(text); }
  void setReplace(std::u16string_view text) { replace = fitted(text); }
  // At most kUnits − 1 units, never ending in half of a surrogate pair.
  static std::u16string fitted(std::u16string_view text);
};

// The buffers of this run of the program.
FindBuffers& programFindBuffers();

enum class FindDialogKind { None, Find, Replace };

// What the text view keeps for searching.
struct FindReplaceState {
  FindDialogKind open = FindDialogKind::None;  // at most one dialog at a time
  // The current page's text as of the last rebuild, and an index into it in UTF-16 units.
  std::u16string pageText;
  int searchPosition = 0;
  bool matchCase = true;  // remembered from the dialog
  // The line of the last hit. May name a line that no longer exists: it is only compared, never
  // followed, until checked against the page.
  const model::LineData* lastHitLine = nullptr;
};

// A request from the dialog.
struct FindMessage {
  enum class Action { FindNext, Replace, ReplaceAll, Close };
  Action action = Action::FindNext;
  bool down = true;
  bool matchCase = true;
};

// Commands 32846 and 32847: rebuilds the page text with the search position at the caret and
// takes a non-empty selection within one line as the find text. false when a dialog is already
// open: then nothing happens and no second dialog may be shown.
bool openFindDialog(const CorrectionContext& ctx, FindReplaceState& state, FindBuffers& buffers,
                    FindDialogKind kind);

// Find next, replace, replace all or closing, with the page-crossing questions.
void handleFindMessage(const CorrectionContext& ctx, FindReplaceState& state,
                       const FindBuffers& buffers, const FindMessage& message);

// The view calls this after every page change: with a dialog open the page text is rebuilt and
// the search position goes to the caret.
void findPageChanged(const CorrectionContext& ctx, FindReplaceState& state);

// Upper case per code point with the simple mappings, so that every index of the result is the
// same index of the input (full-width letters included).
std::u16string upperCasedSameLength(std::u16string_view text);

// Questions and messages, exactly as the user sees them.
namespace find_texts {
inline constexpr const char* kSameTexts = "検索文字と置換文字が同じです。";
inline constexpr const char* kFromStart =
    "文字列が見つかりません。このページの最初から検索しますか？";
inline constexpr const char* kFromEnd =
    "文字列が見つかりません。このページの最後から検索しますか？";
inline constexpr const char* kNextPage = "文字列が見つかりません。次のページを検索しますか？";
inline constexpr const char* kPreviousPage = "文字列が見つかりません。前のページを検索しますか？";
inline constexpr const char* kLastPage = "文字列が見つかりません。最終ページです。";
inline constexpr const char* kFirstPage = "文字列が見つかりません。先頭ページです。";
inline constexpr const char* kReplaceNextPage =
    "このページでの置換処理が終了しました。次のページを置換処理しますか？";
inline constexpr const char* kReplacePreviousPage =
    "このページでの置換処理が終了しました。前のページを置換処理しますか？";
inline constexpr const char* kReplaceDone = "このページでの置換処理が終了しました。";
}  // namespace find_texts

}  // namespace vellary::editing
