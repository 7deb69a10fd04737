// The enabling and check rules of the editor's commands.
#include "appcore/command_rules.h"

namespace vellary::appcore {

namespace {

bool hasPages(const CommandFacts& f) { return f.documentOpen && f.pageCount > 0; }

}  // namespace

bool commandEnabled(int id, const CommandFacts& f) {
  if (id >= IdRecentFirst && id <= IdRecentLast) return id - IdRecentFirst < f.recentFiles;
  if (id >= IdZoom10 && id <= IdZoom100) return true;
  if (id >= IdColourNormal && id <= IdColourRegistered) return true;
  switch (id) {
    case IdFileSave:
    case IdFileSaveAs:
    case IdReload:
    case IdExport:
    case IdBlockEdit:
    case IdCharEdit:
    case IdClearMarks:
    case IdReComposeAll:
    case IdReComposePage:
      return hasPages(f);
    case IdUndo:
      return f.documentOpen && f.undoAvailable;
    case IdRedo:
      return f.documentOpen && f.redoAvailable;
    case IdFind:
    case IdReplace:
      return f.documentOpen;
    case IdNextReject:
    case IdPreviousReject:
      return f.editMode == EditMode::Character;
    case IdRubyModify:
      return f.editMode == EditMode::Character && f.caretOnRuby;
    case IdForceHorizontal:
    case IdForceVertical:
    case IdTextOnly:
    case IdLineImage:
    case IdImageBeside:
      return f.editMode != EditMode::Block;
    case IdZoomFitWidth:
    case IdZoomFitPage:
      return hasPages(f);
    case IdNextPage:
      return hasPages(f) && f.pageIndex + 1 < f.pageCount;
    case IdPreviousPage:
      return hasPages(f) && f.pageIndex > 0;
    case IdSettingsSheet:
      return f.characterTables;
    case IdRecognisePage:
      return hasPages(f) && f.pagePicture;
    case IdRecogniseAll:
      return hasPages(f);
    default:
      return true;
  }
}

std::optional<bool> commandChecked(int id, const CommandFacts& f) {
  // A scale that follows the view is not one of the steps, even when it equals one.
  if (id >= IdZoom10 && id <= IdZoom100)
    return f.zoomFit == ZoomFit::None && id - (IdZoom10 - 1) == f.zoomTenths;
  if (id >= IdColourNormal && id <= IdColourRegistered)
    return id - IdColourNormal == code(f.colours);
  const bool laidOut = f.display == TextDisplay::Layout;
  switch (id) {
    case IdBlockEdit:
      return f.editMode == EditMode::Block;
    case IdCharEdit:
      return f.editMode == EditMode::Character;
    case IdForceHorizontal:
      return f.display == TextDisplay::FlowHorizontal;
    case IdForceVertical:
      return f.display == TextDisplay::FlowVertical;
    case IdTextOnly:
      return laidOut && f.pane == ImagePane::TextOnly;
    case IdLineImage:
      return laidOut && f.pane == ImagePane::LineImage;
    case IdImageBeside:
      return laidOut && f.pane == ImagePane::ImageBeside;
    case IdSideBySide:
      return f.arrangement == SideBySide;
    case IdStacked:
      return f.arrangement == Stacked;
    case IdFullSize:
      return f.arrangement == FullSize;
    case IdBlockNumbers:
      return f.blockNumbers;
    case IdZoomFitWidth:
      return f.zoomFit == ZoomFit::Width;
    case IdZoomFitPage:
      return f.zoomFit == ZoomFit::Page;
    default:
      return std::nullopt;
  }
}

}  // namespace vellary::appcore
