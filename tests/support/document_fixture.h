// The document on in-memory seams, as the document tests share it: a private folder, a scripted
// prompter, settings in memory, a clock the test sets, and an observer that records what the
// document tells its views; and generated documents whose pages a test can tell apart.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "docgen.h"
#include "document/document.h"
#include "support/fake_document_seams.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace vellary::testing {

class DocumentFixture : public ::testing::Test {
 protected:
  DocumentFixture() {
    setup.prompter = &prompter;
    setup.app = &app;
    setup.settings = &store;
    setup.clock = &clock;
    setup.backupPath = dir / "_$backup.xml";
    setup.scansRoot = dir / "scans";
    doc = std::make_unique<document::CScrivlaDoc>(setup);
    doc->addObserver(&views);
  }

  // A plain generated document of `pages` pages whose first characters are `first`, the next
  // letter, and so on, so that a test can tell the pages apart.
  static std::unique_ptr<model::PaperData> letteredPaper(int pages, char16_t first,
                                                         int charsPerPage = 30) {
    docgen::Params p;
    p.rich = false;
    p.pages = pages;
    p.charsPerPage = charsPerPage;
    p.candidates = 1;
    auto paper = docgen::generate(p);
    int i = 0;
    for (model::PageData& page : paper->pages)
      page.blocks.front().lines.front().chars.front().text =
          model::makeCharText(static_cast<char16_t>(first + i++ % 26));
    return paper;
  }

  TempDir dir;
  RecordingPrompter prompter;
  RecordingObserver views;
  appcore::AppSettings app;
  appcore::MemorySettingsStore store;
  FakeClock clock;
  document::DocumentSetup setup;
  std::unique_ptr<document::CScrivlaDoc> doc;
};

}  // namespace vellary::testing
