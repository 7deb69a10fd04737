// The editor's modes, named once. The settings store keeps them as the numbers below, so the
// numbers never change; everything else asks for the names.
#pragma once

namespace vellary::appcore {

// What clicks and keys in the text view edit: nothing (no document), the page's blocks, or its
// characters.
enum class EditMode : int { None = 0, Block = 1, Character = 3 };

// How the text view shows the page: as text flowing in rows or in columns whatever the page's
// writing, or laid out as on the page ("View表示").
enum class TextDisplay : int { FlowHorizontal = 0, FlowVertical = 1, Layout = 2 };

// What the laid-out display shows with the text: nothing more, the one-line image window beside
// the caret line, or the page image behind the text ("View画像表示").
enum class ImagePane : int { TextOnly = 0, LineImage = 1, ImageBeside = 2 };

// The text view's colours ("文字表示モード"): normal, the edit line stressed, by character class,
// registered characters stressed.
enum class ColourMode : int { Normal = 0, EditLine = 1, CharacterClass = 2, Registered = 3 };

// The arrangement of the text and image views in the frame's 2 × 2 grid ("View配置").
enum Arrangement : int { SideBySide = 0, Stacked = 1, FullSize = 2 };

template <class Mode>
constexpr int code(Mode m) {
  return static_cast<int>(m);
}

// A stored number as a mode; a number the mode does not know gives its default.
inline TextDisplay textDisplayOf(int stored) {
  return stored == 0 || stored == 1 ? static_cast<TextDisplay>(stored) : TextDisplay::Layout;
}
inline ImagePane imagePaneOf(int stored) {
  return stored == 1 || stored == 2 ? static_cast<ImagePane>(stored) : ImagePane::TextOnly;
}
inline ColourMode colourModeOf(int stored) {
  return stored >= 1 && stored <= 3 ? static_cast<ColourMode>(stored) : ColourMode::Normal;
}

}  // namespace vellary::appcore
