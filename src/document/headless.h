// A document that no window shows: the command line and the benchmarks open documents the way
// the editor does, through seams that display nothing. Settings start from their defaults, so a
// result never depends on who runs the program, and no backup file is left behind.
#pragma once

#include <memory>
#include <string>

#include "appcore/settings.h"
#include "document.h"

namespace vellary::document {

class HeadlessDocument {
 public:
  // The frame settings are copied; they hold the loading, joining and output options.
  explicit HeadlessDocument(const appcore::FrameSettings& frame = {});
  ~HeadlessDocument();
  HeadlessDocument(const HeadlessDocument&) = delete;
  HeadlessDocument& operator=(const HeadlessDocument&) = delete;

  CScrivlaDoc& doc() { return *doc_; }
  appcore::FrameSettings& frame() { return frame_; }
  appcore::Prompter& prompter();
  // The last message the document wanted to show (after a failed open: the reader's message).
  const std::string& lastMessage() const;
  void clearLastMessage();

 private:
  class Messages;
  appcore::FrameSettings frame_;
  appcore::AppSettings app_;
  appcore::MemorySettingsStore store_;
  SteadyClock clock_;
  std::unique_ptr<Messages> messages_;
  std::unique_ptr<CScrivlaDoc> doc_;
};

}  // namespace vellary::document
