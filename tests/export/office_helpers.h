// Pages for the Office export tests: pages of a given size, picture and rule blocks, a bilevel
// page image, and a progress that records what the writer shows and can press Cancel.
#pragma once

#include <hb.h>

#include <string>
#include <utility>
#include <vector>

#include "imaging/picture.h"
#include "imaging/picture_file.h"
#include "model/progress.h"
#include "model/records.h"
#include "model/text.h"

namespace vellary::testing {

inline model::PageData officePage(int width = 3307, int height = 4677, int dpi = 400) {
  model::PageData p;
  p.width = width;
  p.height = height;
  p.dpi = dpi;
  return p;
}

inline model::BlockData boxBlock(int type, int x, int y, int w, int h) {
  model::BlockData b;
  b.type = type;
  b.x = x;
  b.y = y;
  b.width = w;
  b.height = h;
  return b;
}

// A bilevel page image with a black square, so that cut pictures are not blank.
inline bool writeBilevelPage(const std::string& path, int width, int height, int dpi) {
  imaging::CPictInfo p;
  if (imaging::CreateNewImageToCPictInfo(p, width, height, 1, dpi, dpi) != 1) return false;
  for (int y = 2100; y < 2300 && y < height; ++y)
    for (int x = 600; x < 900 && x < width; ++x) imaging::SetPictPixel(p, x, y, 1);
  p.fileName = path;
  p.saveFormat = imaging::kFormatTiff;
  return imaging::SaveImageFileProc(p) == 1;
}

inline void setImage(model::PageData& page, const std::string& path) {
  page.fullpath = model::fromUtf8(path);
}

// Whether the font file has a glyph for every one of the characters.
inline bool fontCovers(const std::string& path, std::u32string_view chars) {
  hb_blob_t* blob = hb_blob_create_from_file_or_fail(path.c_str());
  if (blob == nullptr) return false;
  hb_face_t* face = hb_face_create(blob, 0);
  hb_font_t* font = hb_font_create(face);
  bool all = hb_face_get_glyph_count(face) > 0;
  for (char32_t c : chars) {
    hb_codepoint_t glyph = 0;
    all = all && hb_font_get_nominal_glyph(font, c, &glyph) && glyph != 0;
  }
  hb_font_destroy(font);
  hb_face_destroy(face);
  hb_blob_destroy(blob);
  return all;
}

class RecordingProgress : public model::Progress {
 public:
  void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
  void setRange(int low, int high) override { range = {low, high}; }
  void step() override { ++steps; }
  void show() override { ++shows; }
  void hide() override { ++hides; }
  void pump() override { ++pumps; }
  bool cancelled() const override { return cancelAfterSteps > 0 && steps >= cancelAfterSteps; }

  std::vector<std::string> captions;
  std::pair<int, int> range{-1, -1};
  int steps = 0, shows = 0, hides = 0, pumps = 0;
  // 0: never. Steps come with the pages handed over (pumps also while pages are awaited).
  int cancelAfterSteps = 0;
};

}  // namespace vellary::testing
