// Observers, clock and progress for document tests: they record what the document told them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/changes.h"
#include "document/seams.h"
#include "model/progress.h"

namespace vellary::testing {

// Records every change set and every reset notice, as a view would receive them.
class RecordingObserver : public document::DocumentObserver {
 public:
  void aboutToReset() override { ++resets; }
  void documentChanged(const document::ChangeSet& changes) override { sets.push_back(changes); }

  // Whether any change set since the last clear() had the kind.
  bool saw(document::Change c) const {
    for (const auto& s : sets)
      if (s.has(c)) return true;
    return false;
  }
  // Every line any change set asked to draw again.
  std::vector<const model::LineData*> lines() const {
    std::vector<const model::LineData*> all;
    for (const auto& s : sets) all.insert(all.end(), s.lines.begin(), s.lines.end());
    return all;
  }
  void clear() {
    sets.clear();
    resets = 0;
  }

  std::vector<document::ChangeSet> sets;
  int resets = 0;
};

class FakeClock : public document::Clock {
 public:
  uint32_t tickCount() const override { return now; }
  uint32_t now = 1000;
};

class CaptionProgress : public model::Progress {
 public:
  void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
  std::vector<std::string> captions;
};

}  // namespace vellary::testing
