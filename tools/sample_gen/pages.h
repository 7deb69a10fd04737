// What the sample pages and the recognition test pages share: the two faces, text styles, and
// saving a drawn page as a scanner delivers it.
#pragma once

#include <memory>
#include <string>

#include "layout.h"
#include "render.h"

namespace vellary::sample {

struct Fonts {
  std::unique_ptr<Font> mincho, gothic;
};

inline constexpr Rgb kInk{0, 0, 0};

TextStyle style(Font* font, int size, int pitch, int perLine, bool vertical, Rgb colour = kInk);

// A bilevel page: the drawing thresholded at the picture layer's default, as a scanner in
// black-and-white mode delivers it; TIFF with CCITT Group 4. A picture layer result.
int saveBilevel(const Canvas& canvas, const std::string& path, int dpi);
// Colour as JPEG with the quality.
int saveColour(const Canvas& canvas, const std::string& path, int dpi, int quality);
// 8-bit grey as PNG: a scanner's grey mode, with the glyphs' anti-aliased edges.
int saveGrey(const Canvas& canvas, const std::string& path, int dpi);

// The small pages of the recognition tests, with the text they show: OUTDIR/recognition.xml
// (every character exactly as drawn, confidence 10, no candidates; side lines not yet attached)
// and the images in OUTDIR/recognition/. 0, or 1 after a message on stderr.
int writeRecognitionPages(const std::string& out, Fonts& fonts);
// The larger pages of the recognition benchmark, the same way: OUTDIR/benchmark.xml and
// OUTDIR/benchmark/.
int writeBenchmarkPages(const std::string& out, Fonts& fonts);

}  // namespace vellary::sample
