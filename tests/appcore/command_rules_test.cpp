// The commands' enabling and check rules on plain facts: what a document, the modes and the
// caret allow.
#include "appcore/command_rules.h"

#include <gtest/gtest.h>

namespace vellary::appcore {
namespace {

CommandFacts openDocument(int pages = 3, int page = 0) {
  CommandFacts f;
  f.documentOpen = true;
  f.pageCount = pages;
  f.pageIndex = page;
  return f;
}

TEST(CommandRules, WithoutADocumentOnlyWhatNeedsNoneIsEnabled) {
  const CommandFacts none;
  for (int id :
       {IdFileSave, IdFileSaveAs, IdReload, IdExport, IdBlockEdit, IdCharEdit, IdClearMarks,
        IdReComposeAll, IdReComposePage, IdFind, IdUndo, IdRedo, IdNextPage, IdPreviousPage})
    EXPECT_FALSE(commandEnabled(id, none)) << id;
  for (int id : {IdFileOpen, IdImageFolder, IdSettingsExport, IdSettingsImport, IdAppExit,
                 IdSideBySide, IdZoom10, IdZoom100, IdColourRegistered, IdTextOnly, IdManual, IdAppAbout})
    EXPECT_TRUE(commandEnabled(id, none)) << id;
  EXPECT_FALSE(commandEnabled(IdSettingsSheet, none));
  // A document without pages is open, but there is nothing to save or edit.
  CommandFacts empty;
  empty.documentOpen = true;
  EXPECT_TRUE(commandEnabled(IdFind, empty));
  EXPECT_FALSE(commandEnabled(IdFileSave, empty));
}

TEST(CommandRules, UndoAndRedoFollowTheHistory) {
  CommandFacts f = openDocument();
  EXPECT_FALSE(commandEnabled(IdUndo, f));
  EXPECT_FALSE(commandEnabled(IdRedo, f));
  f.undoAvailable = true;
  EXPECT_TRUE(commandEnabled(IdUndo, f));
  f.redoAvailable = true;
  EXPECT_TRUE(commandEnabled(IdRedo, f));
  f.documentOpen = false;  // a closed document has no history to walk
  EXPECT_FALSE(commandEnabled(IdUndo, f));
  EXPECT_FALSE(commandEnabled(IdRedo, f));
}

TEST(CommandRules, RecognitionNeedsPagesAndThisPageItsPicture) {
  const CommandFacts none;
  EXPECT_TRUE(commandEnabled(IdRecogniseScans, none));  // a new document needs none open
  EXPECT_FALSE(commandEnabled(IdRecogniseAll, none));
  EXPECT_FALSE(commandEnabled(IdRecognisePage, none));
  CommandFacts f = openDocument();
  EXPECT_TRUE(commandEnabled(IdRecogniseAll, f));
  EXPECT_FALSE(commandEnabled(IdRecognisePage, f));  // no picture to read the page from
  f.pagePicture = true;
  EXPECT_TRUE(commandEnabled(IdRecognisePage, f));
  f.pageCount = 0;
  EXPECT_FALSE(commandEnabled(IdRecognisePage, f));
  EXPECT_FALSE(commandEnabled(IdRecogniseAll, f));
}

TEST(CommandRules, PagesAtTheEndsStopTheirCommands) {
  EXPECT_FALSE(commandEnabled(IdPreviousPage, openDocument(3, 0)));
  EXPECT_TRUE(commandEnabled(IdNextPage, openDocument(3, 0)));
  EXPECT_TRUE(commandEnabled(IdPreviousPage, openDocument(3, 2)));
  EXPECT_FALSE(commandEnabled(IdNextPage, openDocument(3, 2)));
  EXPECT_FALSE(commandEnabled(IdNextPage, openDocument(1, 0)));
}

TEST(CommandRules, BlockEditingTurnsOffTheDisplayModesAndTheCharacterCommands) {
  CommandFacts f = openDocument();
  f.caretOnRuby = true;
  for (int id : {IdForceHorizontal, IdForceVertical, IdTextOnly, IdLineImage, IdImageBeside,
                 IdNextReject, IdPreviousReject, IdRubyModify})
    EXPECT_TRUE(commandEnabled(id, f)) << id;
  f.editMode = EditMode::Block;
  for (int id : {IdForceHorizontal, IdForceVertical, IdTextOnly, IdLineImage, IdImageBeside,
                 IdNextReject, IdPreviousReject, IdRubyModify})
    EXPECT_FALSE(commandEnabled(id, f)) << id;
  EXPECT_TRUE(*commandChecked(IdBlockEdit, f));
  EXPECT_FALSE(*commandChecked(IdCharEdit, f));
  // Ruby modify wants the caret on a ruby.
  f.editMode = EditMode::Character;
  f.caretOnRuby = false;
  EXPECT_FALSE(commandEnabled(IdRubyModify, f));
}

TEST(CommandRules, ChecksFollowTheModesAndCommandsWithoutAStateHaveNone) {
  CommandFacts f = openDocument();
  f.display = TextDisplay::Layout;
  f.pane = ImagePane::LineImage;
  f.colours = ColourMode::CharacterClass;
  f.arrangement = Stacked;
  f.zoomTenths = 3;
  f.blockNumbers = true;
  EXPECT_TRUE(*commandChecked(IdLineImage, f));
  EXPECT_FALSE(*commandChecked(IdTextOnly, f));
  EXPECT_FALSE(*commandChecked(IdForceVertical, f));
  EXPECT_TRUE(*commandChecked(IdColourClass, f));
  EXPECT_FALSE(*commandChecked(IdColourNormal, f));
  EXPECT_TRUE(*commandChecked(IdStacked, f));
  EXPECT_FALSE(*commandChecked(IdSideBySide, f));
  EXPECT_TRUE(*commandChecked(IdZoom10 + 2, f));
  EXPECT_FALSE(*commandChecked(IdZoom10 + 4, f));
  EXPECT_TRUE(*commandChecked(IdBlockNumbers, f));
  // A forced text flow checks no image pane.
  f.display = TextDisplay::FlowVertical;
  EXPECT_TRUE(*commandChecked(IdForceVertical, f));
  EXPECT_FALSE(*commandChecked(IdLineImage, f));
  for (int id : {IdFileOpen, IdUndo, IdRedo, IdNextPage, IdReComposeAll, IdFind})
    EXPECT_FALSE(commandChecked(id, f).has_value()) << id;
}

TEST(CommandRules, AScaleThatFollowsTheViewChecksItsFitAndNoStep) {
  CommandFacts f = openDocument();
  EXPECT_TRUE(commandEnabled(IdZoomFitWidth, f));
  EXPECT_TRUE(commandEnabled(IdZoomFitPage, f));
  EXPECT_FALSE(commandEnabled(IdZoomFitWidth, CommandFacts{}));
  f.zoomTenths = 5;
  EXPECT_TRUE(*commandChecked(IdZoom10 + 4, f));
  EXPECT_FALSE(*commandChecked(IdZoomFitWidth, f));
  // Fitted, the scale may happen to equal a step: the fit is what is checked.
  f.zoomFit = ZoomFit::Width;
  EXPECT_FALSE(*commandChecked(IdZoom10 + 4, f));
  EXPECT_TRUE(*commandChecked(IdZoomFitWidth, f));
  EXPECT_FALSE(*commandChecked(IdZoomFitPage, f));
  // A scale between the steps that follows nothing checks nothing.
  f.zoomFit = ZoomFit::None;
  f.zoomTenths = 0;
  for (int id = IdZoom10; id <= IdZoomFitPage; ++id) EXPECT_FALSE(*commandChecked(id, f)) << id;
}

TEST(CommandRules, RecentFilesAndTheSettingsSheet) {
  CommandFacts f;
  f.recentFiles = 2;
  EXPECT_TRUE(commandEnabled(IdRecentFirst, f));
  EXPECT_TRUE(commandEnabled(IdRecentFirst + 1, f));
  EXPECT_FALSE(commandEnabled(IdRecentFirst + 2, f));
  f.characterTables = true;
  EXPECT_TRUE(commandEnabled(IdSettingsSheet, f));
}

TEST(Modes, StoredNumbersOutsideAModeGiveItsDefault) {
  EXPECT_EQ(textDisplayOf(1), TextDisplay::FlowVertical);
  EXPECT_EQ(textDisplayOf(7), TextDisplay::Layout);
  EXPECT_EQ(imagePaneOf(2), ImagePane::ImageBeside);
  EXPECT_EQ(imagePaneOf(-1), ImagePane::TextOnly);
  EXPECT_EQ(colourModeOf(3), ColourMode::Registered);
  EXPECT_EQ(colourModeOf(4), ColourMode::Normal);
  EXPECT_EQ(code(EditMode::Character), 3);
}

}  // namespace
}  // namespace vellary::appcore
