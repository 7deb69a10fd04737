// Fuzzes the picture layer's reading of image files: the header checks that run before any
// decoder and Leptonica's decoding behind them. Any bytes give a refusal or a picture whose
// size and depth agree with what the header said.
#include <cstdint>
#include <span>

#include "fuzz_check.h"
#include "imaging/image_headers.h"
#include "imaging/picture.h"
#include "imaging/picture_file.h"

using namespace vellary::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const int format = detail::sniffFormat(bytes);
  if (format != 0) (void)detail::looksComplete(bytes, format);
  (void)detail::singleTiffStrip(bytes);
  for (int page : {0, 1}) {
    detail::PictHeader header;
    const int looked = detail::readPictHeader(bytes, page, header);
    CPictInfo pict;
    const int decoded = DecodeImage(bytes, pict, page);
    if (decoded != kImageOk) {
      FUZZ_REQUIRE(decoded < 0 && !pict.hasPixels());
      continue;
    }
    // A picture is only decoded after its header was read and found sound.
    FUZZ_REQUIRE(looked == 1);
    FUZZ_REQUIRE(pict.hasPixels());
    FUZZ_REQUIRE(pict.width() == header.width && pict.height() == header.height);
  }
  return 0;
}
