// A document opened from a page built in code, for the block and side-line editing tests, and a
// check that what the editing left reads back from a written file unchanged.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/document.h"
#include "editing/caret.h"
#include "editing/editing_context.h"
#include "model/paper.h"
#include "recompose/pages.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"
#include "support/fake_document_seams.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace vellary::editing::testing {

using namespace model;
using recompose::testing::addBlock;
using recompose::testing::addLine;
using recompose::testing::blockAt;
using recompose::testing::charAt;
using recompose::testing::lineAt;
using recompose::testing::textOf;

class StructureTest : public ::testing::Test {
 protected:
  StructureTest()
      : doc(makeDocument()),
        context(std::make_unique<EditingContext>(*doc, prompter)),
        caret(context->state()) {
    doc->addObserver(&views);
  }

  std::unique_ptr<document::CScrivlaDoc> makeDocument() {
    setup.prompter = &prompter;
    setup.app = &app;
    setup.settings = &store;
    setup.clock = &clock;
    setup.backupPath = dir / "_$backup.xml";
    return std::make_unique<document::CScrivlaDoc>(setup);
  }

  // Runs one structure edit in its own edit scope; what the views were told.
  template <class Edit>
  document::ChangeSet edit(Edit&& e) {
    views.clear();
    {
      EditScope scope(*context);
      e(scope);
    }
    document::ChangeSet all;
    for (const document::ChangeSet& c : views.sets) all.merge(c);
    views.clear();
    return all;
  }

  // A one-page paper whose page the test fills before open().
  PageData& newPage(int width = 1000, int height = 1400) {
    paper = std::make_unique<PaperData>();
    paper->encoding = 1;
    PageData& p = paper->pages.emplace_back();
    p.number = 1;
    p.file = u"p1.tif";
    p.width = width;
    p.height = height;
    p.dpi = 400;
    return p;
  }

  // Writes the built paper and reads it into the document, as opening a file does (without the
  // re-composition that follows an open, so the page stays as built).
  void open() {
    const std::string path = dir / "doc.xml";
    ASSERT_EQ(rovorirud::writeDocumentFile(*paper, path), rovorirud::WriteOk);
    ASSERT_TRUE(doc->load(path, false));
    ASSERT_EQ(doc->currentPage(), 0);
    // Tests place the caret themselves.
    caret.clear();
  }

  PageData& page() { return *doc->page(0); }
  PageBlockEntries& entries() { return doc->blockEntries().page(0); }

  CaretPos posAt(int block, int line, int ch) {
    BlockData& b = blockAt(page(), block);
    LineData& l = lineAt(b, line);
    return CaretPos{&b, cellOf(b, &l), &l, std::next(l.chars.begin(), ch)};
  }
  void select(int block, int line, int first, int last) {
    caret.caret = posAt(block, line, first);
    caret.selection.anchor = posAt(block, line, first);
    caret.selection.active = posAt(block, line, last);
  }
  void caretAt(int block, int line, int ch) {
    caret.caret = posAt(block, line, ch);
    caret.selection.clear();
  }

  // Every side line of the page as text: attr, base line index, range, text, keys and
  // orientation of each character, so two pages compare in one assertion.
  static std::string sideLinesOf(const PageData& p) {
    std::string s;
    int bi = 0;
    for (const BlockData& b : p.blocks) {
      int li = 0;
      for (const LineData& l : b.lines) {
        int base = -1, k = 0;
        for (const LineData& o : b.lines) {
          if (&o == l.baseLine) base = k;
          ++k;
        }
        s += std::to_string(bi) + "/" + std::to_string(li) + " attr" + std::to_string(l.attr) +
             " base" + std::to_string(base) + " " + std::to_string(l.rcs) + ".." +
             std::to_string(l.rce) + " n" + std::to_string(l.charCount) + " [";
        for (const CharData& c : l.chars)
          s += std::to_string(c.text[0]) + ":" + std::to_string(c.modRubyEmp) + ":" +
               std::to_string(c.modRotTcy) + " ";
        s += "]\n";
        ++li;
      }
      ++bi;
    }
    return s;
  }

  // The document written with the writer and read back gives the same side lines, keys and
  // orientations as the page in memory.
  void expectReadsBack() {
    const std::string bytes = rovorirud::writeDocumentToString(*doc->paper());
    rovorirud::ReadResult r = rovorirud::readDocument(bytes);
    ASSERT_TRUE(r.paper) << r.code;
    EXPECT_EQ(sideLinesOf(r.paper->pages.front()), sideLinesOf(page()));
  }

  bool pageMarked() const { return doc->pageMarked(0); }

  vellary::testing::TempDir dir;
  vellary::testing::RecordingPrompter prompter;
  vellary::testing::RecordingObserver views;
  appcore::AppSettings app;
  appcore::MemorySettingsStore store;
  vellary::testing::FakeClock clock;
  document::DocumentSetup setup;
  std::unique_ptr<document::CScrivlaDoc> doc;
  std::unique_ptr<EditingContext> context;
  CaretState& caret;
  std::unique_ptr<PaperData> paper;
};

}  // namespace vellary::editing::testing
