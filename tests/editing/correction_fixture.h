// A document opened the way the editor opens it, built from short texts, with the text view's
// caret and the seams of a correcting command.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "appcore/char_tables.h"
#include "appcore/settings.h"
#include "document/document.h"
#include "editing/candidates_context.h"
#include "editing/editing_context.h"
#include "editing/find_replace_page.h"
#include "model/paper.h"
#include "model/text.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"
#include "support/fake_document_seams.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace vellary::editing {

// Builds pages of blocks of lines. Each character gets a box of its own on the line, confidence
// 10 and no candidates.
struct PaperBuilder {
  model::PaperData paper;

  model::PageData& page() {
    model::PageData& p = paper.pages.emplace_back();
    p.number = static_cast<int32_t>(paper.pages.size());
    p.file = u"p" + std::u16string(1, static_cast<char16_t>(u'0' + p.number)) + u".tif";
    p.width = 2000;
    p.height = 3000;
    p.dpi = 300;
    return p;
  }
  model::BlockData& block(model::PageData& p, int8_t direction = model::Horizontal,
                          int32_t type = model::BlockText) {
    model::BlockData& b = p.blocks.emplace_back();
    b.type = type;
    b.direction = direction;
    b.x = 100;
    b.y = 100 + 500 * static_cast<int32_t>(p.blocks.size() - 1);
    b.width = 1500;
    b.height = 400;
    b.langId = model::kLangJapanese;
    return b;
  }
  static model::LineData& line(model::List<model::LineData>& lines, std::u16string_view text,
                               int16_t attr = model::AttrNone) {
    model::LineData& l = lines.emplace_back();
    l.attr = attr;
    l.x = 100;
    l.y = 100 + 40 * static_cast<int32_t>(lines.size() - 1);
    l.width = 30 * static_cast<int32_t>(text.size());
    l.height = 30;
    int32_t x = l.x;
    for (const model::CharText& t : splitCharacters(text)) {
      model::CharData& c = l.chars.emplace_back();
      c.x = x;
      c.y = l.y;
      c.width = 28;
      c.height = 28;
      c.text = t;
      x += 30;
      l.charCount += model::charTextLength(t);
    }
    return l;
  }
  static model::LineData& line(model::BlockData& b, std::u16string_view text) {
    model::LineData& l = line(b.lines, text);
    b.charCount += l.charCount;
    return l;
  }
  // A page holding one horizontal text block with the given lines.
  model::PageData& textPage(std::initializer_list<std::u16string_view> lines) {
    model::PageData& p = page();
    model::BlockData& b = block(p);
    for (std::u16string_view t : lines) line(b, t);
    return p;
  }
};

class CorrectionTest : public ::testing::Test {
 protected:
  CorrectionTest()
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

  // One correcting command's context: its edit scope ends, and tells the views, at the end of
  // the statement that made it.
  struct Scoped {
    EditScope scope;
    CorrectionContext ctx;
    Scoped(CorrectionTest& t)
        : scope(*t.context),
          ctx{scope, *t.doc, t.context->state(), t.frame, t.prompter, &t.registered, &t.last,
              appcore::EditMode::Character} {}
    operator const CorrectionContext&() const { return ctx; }
  };
  Scoped ctx() { return Scoped(*this); }

  // What the views were told since the last call, as one change set.
  document::ChangeSet told() {
    document::ChangeSet all;
    for (const document::ChangeSet& c : views.sets) all.merge(c);
    views.clear();
    return all;
  }

  // Writes the built document, opens it, and puts the caret where a page change puts it (no
  // caret on a page without text).
  void open(PaperBuilder& built) {
    const std::string path = dir / "doc.xml";
    ASSERT_EQ(rovorirud::writeDocumentFile(built.paper, path), rovorirud::WriteOk);
    ASSERT_TRUE(doc->load(path, false));
    placeCaretAtPageStart(*doc->page(doc->currentPage()), caret);
    views.clear();
  }

  model::PageData& page() { return *doc->page(doc->currentPage()); }
  model::BlockData& block(int i) { return *std::next(page().blocks.begin(), i); }
  model::LineData& line(int b, int l) { return *std::next(block(b).lines.begin(), l); }
  CaretPos at(int b, int l, int c) {
    model::LineData& ln = line(b, l);
    return CaretPos{&block(b), cellOf(block(b), &ln), &ln, std::next(ln.chars.begin(), c)};
  }
  // Puts the caret (and an empty selection) before character c of line l of block b.
  void caretAt(int b, int l, int c) {
    PageWalk walk(page());
    setCaretAt(caret, walk, at(b, l, c));
    caret.selection.anchor = caret.selection.active = caret.caret;
  }
  static std::string utf8(std::u16string_view s) { return model::toUtf8(s); }
  std::string pageText() { return utf8(PageWalk(page()).text()); }
  // The selection as UTF-16 offsets into the page text, in document order.
  std::pair<int, int> selectedUnits() {
    PageWalk walk(page());
    int a = walk.unitIndexOf(caret.selection.anchor), b = walk.unitIndexOf(caret.selection.active);
    return {std::min(a, b), std::max(a, b)};
  }
  std::vector<std::string> shownTexts() const {
    std::vector<std::string> out;
    for (const auto& s : prompter.shown) out.push_back(s.text);
    return out;
  }

  testing::TempDir dir;
  testing::RecordingPrompter prompter;
  testing::RecordingObserver views;
  appcore::AppSettings app;
  appcore::MemorySettingsStore store;
  testing::FakeClock clock;
  document::DocumentSetup setup;
  appcore::FrameSettings frame;
  appcore::CharTable registered{appcore::CharTable::Kind::Registered};
  LastRegisteredPair last;
  std::unique_ptr<document::CScrivlaDoc> doc;
  std::unique_ptr<EditingContext> context;
  CaretState& caret;
};

}  // namespace vellary::editing
