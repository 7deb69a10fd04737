// The document on in-memory seams, as the document tests share it: a private folder, a scripted
// prompter, settings in memory, a clock the test sets, and an observer that records what the
// document tells its views.
#pragma once

#include <gtest/gtest.h>

#include <memory>

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
