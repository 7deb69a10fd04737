// Inside the picture layer: reading the headers of BMP, TIFF, PNG and JPEG files from memory
// without decoding pixels, checking that a file is complete before a decoder sees it, and finding
// the strip of a single-strip TIFF. Every read is bounds-checked: any byte string is safe input.
#pragma once

#include <cstdint>
#include <span>

#include "imaging/pix_handle.h"

namespace vellary::imaging::detail {

// kFormatBmp … kFormatJpeg from the first bytes, or 0.
int sniffFormat(std::span<const uint8_t> bytes);

// Fills header for page `page` (TIFF; other formats have page 0 only). 1, or a negative
// ImageResult: kImageUnknownFormat, kImageBadData, kImageUnsupported, kImageTooLarge.
int readPictHeader(std::span<const uint8_t> bytes, int page, PictHeader& header);

// Whether the file's structure reaches its end: every PNG chunk up to IEND lies inside the bytes
// with a correct checksum, a JPEG has an end-of-image marker after its scan. A truncated file is
// refused here rather than half-decoded. (readPictHeader checks that a TIFF's entries and strips
// lie inside the file; BMP sizes are checked by the decoder.)
bool looksComplete(std::span<const uint8_t> bytes, int format);

// The bytes of the only strip of the first image of a TIFF, or an empty span when the file is not
// a TIFF, has more than one strip, or its strip lies outside the bytes.
std::span<const uint8_t> singleTiffStrip(std::span<const uint8_t> tiff);

}  // namespace vellary::imaging::detail
