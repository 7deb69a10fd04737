// Every user command of the editor by its number, and when each is enabled and checked: pure
// functions of plain facts about the document, the modes and the caret. The window binds the
// numbers to captions, shortcuts, icons and actions and asks these rules for their state after
// every change; nothing here knows about windows.
#pragma once

#include <optional>

#include "appcore/modes.h"

namespace vellary::appcore {

enum CommandId : int {
  // File
  IdFileOpen = 57601,
  IdFileSave = 57603,
  IdFileSaveAs = 35001,
  IdReload = 32827,
  IdImageFolder = 32829,
  IdExport = 32889,
  IdRecogniseScans = 32990,
  IdSettingsExport = 32972,
  IdSettingsImport = 32974,
  IdRecentFirst = 57616,
  IdRecentLast = 57631,
  IdAppExit = 57665,
  // Edit
  IdUndo = 32774,
  IdRedo = 57644,
  IdBlockEdit = 32771,
  IdCharEdit = 32813,
  IdFind = 32846,
  IdReplace = 32847,
  IdNextReject = 32952,
  IdPreviousReject = 32958,
  IdRubyModify = 32851,
  IdClearMarks = 32975,
  // View
  IdForceHorizontal = 32838,
  IdForceVertical = 32839,
  IdTextOnly = 32840,
  IdLineImage = 32841,
  IdImageBeside = 32842,
  IdSideBySide = 32901,
  IdStacked = 32902,
  IdFullSize = 32903,
  IdBlockNumbers = 32791,
  IdColourNormal = 32857,  // … IdColourRegistered: colour mode id − 32857
  IdColourEditLine = 32858,
  IdColourClass = 32859,
  IdColourRegistered = 32860,
  IdZoom10 = 32874,  // … IdZoom100: scale (id − 32873) ÷ 10
  IdZoom100 = 32883,
  IdZoomFitWidth = 32884,
  IdZoomFitPage = 32885,
  IdNextPage = 32785,
  IdPreviousPage = 32786,
  // Analysis and tools
  IdReComposeAll = 32761,
  IdReComposePage = 32762,
  IdRecognisePage = 32991,
  IdRecogniseAll = 32992,
  IdSettingsSheet = 32784,
  // Help. 32935 … 32943 stay unused: this program has no web pages of its own to open.
  IdManual = 32934,
  IdAppAbout = 57664,
};

// What the rules look at, gathered by the window at each refresh.
struct CommandFacts {
  bool documentOpen = false;  // a document is loaded
  int pageCount = 0;
  int pageIndex = -1;  // the current page, 0-based
  EditMode editMode = EditMode::Character;
  TextDisplay display = TextDisplay::Layout;
  ImagePane pane = ImagePane::TextOnly;
  ColourMode colours = ColourMode::Normal;
  Arrangement arrangement = SideBySide;
  bool blockNumbers = false;
  int zoomTenths = 5;  // the scale in tenths, 1 … 10; 0 for a scale between the steps
  ZoomFit zoomFit = ZoomFit::None;
  bool undoAvailable = false;
  bool redoAvailable = false;
  bool caretOnRuby = false;      // the caret on a ruby line or inside a ruby's base range
  int recentFiles = 0;           // entries in the recent-file list
  bool characterTables = false;  // the settings sheet has its character tables to edit
  bool pagePicture = false;      // the current page's picture was found and read
};

bool commandEnabled(int id, const CommandFacts& facts);
// Nothing for a command that is not checkable.
std::optional<bool> commandChecked(int id, const CommandFacts& facts);

}  // namespace vellary::appcore
