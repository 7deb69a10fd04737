// Inside recognition: reading the text regions of one laid-out page with the engine, into lines
// of characters with their boxes, confidences and candidates, side lines before their base.
#pragma once

#include <string>
#include <vector>

#include "imaging/picture.h"
#include "jobs/ordered_jobs.h"
#include "model/records.h"
#include "recognize/engine.h"
#include "recognize/layout.h"
#include "recognize/page.h"

namespace vellary::recognize::detail {

class PageReader {
 public:
  // `picture` is the page as given, `bilevel` its ink (the same size), `layout` taken from it.
  PageReader(Engine& engine, const imaging::CPictInfo& picture, const imaging::CPictInfo& bilevel,
             const PageLayout& layout, const PageOptions& options, const jobs::StopToken* stop)
      : engine_(engine),
        picture_(picture),
        bilevel_(bilevel),
        layout_(layout),
        options_(options),
        stop_(stop) {}

  bool stopped() const { return stop_ != nullptr && stop_->stopRequested(); }
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }

  // Reads a region's text into lines; side lines stand just before their base line. Where the
  // ink leaves the direction open and both models may be tried, the region's writing becomes
  // the one read more confidently.
  void readRegion(TextRegion& region, model::List<model::LineData>& lines);

 private:
  // A part of the page for the engine: the ink the analysis works on, and the picture the engine
  // reads (the page as given: the engine's own thresholding keeps more of a grey or colour scan
  // than ours), both with every piece not in `keep` painted out.
  struct Cut {
    PictRect rect;
    imaging::CPictInfo ink;
    imaging::CPictInfo seen;  // empty when the page is bilevel: `ink` is read then
    const imaging::CPictInfo& engineView() const { return seen.hasPixels() ? seen : ink; }
  };
  bool cleanCut(const PictRect& rect, const std::vector<int>& keep, Cut& out) const;
  // Reads a cut enlarged by `factor`; a line of the vertical model is turned for the engine and
  // its boxes turned back. Boxes come back in the cut's pixels.
  bool readCut(const Cut& cut, Model model, Shape shape, int factor, EngineResult& result);
  // Reads the region in its writing; the mean engine confidence of what was read, −1 for nothing.
  double readAs(TextRegion& region, std::vector<model::LineData>& out);
  // The engine's lines as records in page pixels, each character's box the pieces of `keep` it
  // takes (char_cells.h).
  std::vector<model::LineData> toLines(const EngineResult& result, const Cut& cut, bool vertical,
                                       const std::vector<int>& keep) const;
  std::vector<model::LineData> sideLines(const TextRegion& region, const LayoutLine& line);

  Engine& engine_;
  const imaging::CPictInfo& picture_;
  const imaging::CPictInfo& bilevel_;
  const PageLayout& layout_;
  const PageOptions& options_;
  const jobs::StopToken* stop_;
  std::string error_;
};

}  // namespace vellary::recognize::detail
