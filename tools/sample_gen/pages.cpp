// Text styles and page files shared by the sample and the recognition test pages.
#include "pages.h"

#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"

namespace vellary::sample {

using namespace vellary::imaging;

TextStyle style(Font* font, int size, int pitch, int perLine, bool vertical, Rgb colour) {
  TextStyle s;
  s.font = font;
  s.size = size;
  s.pitch = pitch;
  s.perLine = perLine;
  s.vertical = vertical;
  s.colour = colour;
  return s;
}

int saveBilevel(const Canvas& canvas, const std::string& path, int dpi) {
  CPictInfo colour, bilevel;
  if (int r = canvas.toPicture(colour, dpi); r != kImageOk) return r;
  if (int r = MakeBinDataFromGrayscaleData(colour, bilevel); r != kImageOk) return r;
  bilevel.fileName = path;
  bilevel.saveFormat = kFormatTiff;
  bilevel.compression = kTiffG4;
  return SaveImageFileProc(bilevel);
}

int saveColour(const Canvas& canvas, const std::string& path, int dpi, int quality) {
  CPictInfo colour;
  if (int r = canvas.toPicture(colour, dpi); r != kImageOk) return r;
  colour.fileName = path;
  colour.saveFormat = kFormatJpeg;
  colour.quality = quality;
  return SaveImageFileProc(colour);
}

int saveGrey(const Canvas& canvas, const std::string& path, int dpi) {
  CPictInfo grey;
  if (int r = canvas.toPicture(grey, dpi); r != kImageOk) return r;
  if (int r = Convert24BitColorImageTo8BitGrayscaleImage(grey); r != kImageOk) return r;
  grey.fileName = path;
  grey.saveFormat = kFormatPng;
  return SaveImageFileProc(grey);
}

}  // namespace vellary::sample
