// An open document with its editing context, as the editor's window holds one, and an observer
// that records what the views are told. Pages are built in code, written with the writer and
// opened, so the records are exactly what a read leaves.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/document.h"
#include "editing/editing_context.h"
#include "editing/editor.h"
#include "model/paper.h"
#include "recompose/pages.h"
#include "rovorirud/writer.h"
#include "support/fake_document_seams.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace vellary::editing::testing {

using namespace vellary::recompose::testing;

// A page of the given size whose image is named after its number.
inline PageData& addPage(PaperData& paper, int width = 1000, int height = 1400) {
  PageData& p = paper.pages.emplace_back();
  p.number = static_cast<int32_t>(paper.pages.size());
  p.file = u"p" + std::u16string(1, static_cast<char16_t>(u'0' + p.number)) + u".tif";
  p.width = width;
  p.height = height;
  p.dpi = 400;
  return p;
}

// Ends the line with a carriage return placed right after its last character.
inline void endWithReturn(LineData& line) {
  CharData cr = line.chars.back();
  cr.text = makeCharText(13);
  cr.resetCandidates(0);
  cr.x += cr.width;
  line.chars.push_back(cr);
  ++line.charCount;
}

// Averages and counts as the reader computes them.
inline void finish(PaperData& paper) {
  for (PageData& p : paper.pages)
    for (BlockData& b : p.blocks) computeBlockAverages(b);
  renumberPages(paper);
  computeMaxPageSize(paper);
  paper.encoding = 1;
}

class EditorTest : public ::testing::Test {
 protected:
  EditorTest() {
    app.doBackup = 0;
    setup.prompter = &prompter;
    setup.app = &app;
    setup.settings = &store;
    setup.clock = &clock;
    setup.backupPath = dir / "_$backup.xml";
  }

  void open(PaperData& paper) {
    finish(paper);
    path = dir / "doc.xml";
    ASSERT_EQ(rovorirud::writeDocumentFile(paper, path), rovorirud::WriteOk);
    doc = std::make_unique<document::CScrivlaDoc>(setup);
    context = std::make_unique<EditingContext>(*doc, prompter);
    ed = &context->editor();
    doc->addObserver(&views);
    ASSERT_TRUE(doc->open(path, false));
    views.clear();
  }

  // What the views were told since the last call, as one change set.
  document::ChangeSet told() {
    document::ChangeSet all;
    for (const document::ChangeSet& c : views.sets) all.merge(c);
    views.clear();
    return all;
  }

  PageData& page() { return *doc->page(doc->currentPage()); }
  BlockData& block(int i) { return blockAt(page(), i); }
  LineData& line(int b, int l) { return lineAt(block(b), l); }
  CaretPos& caret() { return ed->state().caret; }
  // Puts the caret before character `index` of line `l` of block `b` (the end position when it
  // equals the count), with an empty selection.
  void caretTo(int b, int l, int index) {
    BlockData& bl = block(b);
    LineData& ln = lineAt(bl, l);
    caret() = caretAt({&bl, cellOf(bl, &ln), &ln}, index);
    ed->state().selection.collapseTo(caret());
  }
  // Selects from the caret's position to (b, l, index), as Shift+arrows would.
  void selectTo(int b, int l, int index) {
    BlockData& bl = block(b);
    LineData& ln = lineAt(bl, l);
    ed->state().selection.anchor = caret();
    caret() = caretAt({&bl, cellOf(bl, &ln), &ln}, index);
    ed->state().selection.active = caret();
  }
  std::u16string text(int b, int l) { return textOf(line(b, l)); }
  int lineCount(int b) { return static_cast<int>(block(b).lines.size()); }
  // A key pressed and released: what the views were told.
  document::ChangeSet press(Key key, bool shift = false) {
    views.clear();
    ed->keyDown(key, shift);
    ed->keyUp();
    return told();
  }

  vellary::testing::TempDir dir;
  vellary::testing::RecordingPrompter prompter;
  vellary::testing::RecordingObserver views;
  appcore::AppSettings app;
  appcore::MemorySettingsStore store;
  vellary::testing::FakeClock clock;
  document::DocumentSetup setup;
  std::string path;
  std::unique_ptr<document::CScrivlaDoc> doc;
  std::unique_ptr<EditingContext> context;
  Editor* ed = nullptr;
};

// Two pages of horizontal body text as a recogniser reports it: page 1 holds a block of three
// lines (the first ends in a carriage return) and a block of two lines; page 2 one block.
inline std::unique_ptr<PaperData> bookPages() {
  auto paper = std::make_unique<PaperData>();
  PageData& p1 = addPage(*paper);
  BlockData& a = addBlock(p1, Horizontal, 100, 100, 700, 150);
  addLine(a, u"吾輩は猫である名前はまだ", 100, 100, 30, 32);
  endWithReturn(a.lines.back());
  addLine(a, u"どこで生れたか", 100, 150, 30, 32);
  addLine(a, u"とんと見当がつかぬ", 100, 200, 30, 32);
  BlockData& b = addBlock(p1, Horizontal, 100, 400, 700, 100);
  addLine(b, u"何でも薄暗い", 100, 400, 30, 32);
  addLine(b, u"じめじめした所で", 100, 450, 30, 32);
  PageData& p2 = addPage(*paper);
  BlockData& c = addBlock(p2, Horizontal, 100, 100, 700, 100);
  addLine(c, u"ニャーニャー泣いていた", 100, 100, 30, 32);
  addLine(c, u"事だけは記憶している", 100, 150, 30, 32);
  return paper;
}

}  // namespace vellary::editing::testing
