// Reading and writing picture files, and encoding pictures to bytes in memory.
//
// Files read: BMP (uncompressed), TIFF (any compression libtiff decodes, the first page unless
// another is asked for), PNG and JPEG, at any depth; they are brought to the descriptor's depths
// on loading (2 and 4 bits and 16-bit grey become 8 bits, palette pictures keep their colour
// table unless it holds only greys, alpha is laid over white, a bilevel palette becomes
// 1 = black). The resolution comes from the file (TIFF and BMP tags, the PNG pHYs chunk, the JPEG
// JFIF header), 0 when it has none.
//
// Paths are UTF-8 and of any length: folders are opened piece by piece, so a path longer than
// the system's limit still works. Saving replaces the file through a temporary file in the same
// folder and a rename: a failed save leaves the previous file untouched and no debris behind.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/picture.h"

namespace vellary::imaging {

// Reads the header of pict.fileName (page 0) into the descriptor without decoding pixels: size,
// depth as a load would give it, resolution, file format. Any pixels the descriptor held are
// released. The file format (above 0) when readable; kImageNoSuchFile when the file does not
// exist; another negative ImageResult when it cannot be read or is not a picture.
int LookImageInfo(CPictInfo& pict);

// Loads pict.fileName. flag is accepted for the callers' sake and has no effect: every file loads
// at its own depth. page picks a page of a multi-page TIFF (0 the first). 1 on success; on failure
// a negative ImageResult and the descriptor holds no pixels.
int LoadImageFileProc(CPictInfo& pict, int flag = 0, int page = 0);

// Writes the picture to pict.fileName in pict.saveFormat:
//   kFormatJpeg  with pict.quality (bilevel pictures are written as grey);
//   kFormatTiff  with pict.compression (kTiffG4 for bilevel pictures only);
//   kFormatPng   lossless (the preview format); kFormatBmp uncompressed;
//   kFormatByName by the extension (.jpg .jpeg .tif .tiff .png .bmp, TIFF otherwise).
// The resolution is written into the file. 1, or a negative ImageResult.
int SaveImageFileProc(const CPictInfo& pict);

// The same encoders into memory, so that writers of other formats need no temporary files.
// `format`, `compression` and `quality` as in SaveImageFileProc. 1, or a negative ImageResult
// (then `out` is empty).
int EncodeImage(const CPictInfo& pict, int format, int compression, int quality,
                std::vector<uint8_t>& out);
int EncodeJpeg(const CPictInfo& pict, int quality, std::vector<uint8_t>& out);
// A complete little-endian TIFF, one strip, CCITT Group 4. Bilevel pictures only.
int EncodeG4Tiff(const CPictInfo& pict, std::vector<uint8_t>& out);
// The bare CCITT Group 4 data of a bilevel picture (K = −1, rows = height, columns = width, a black
// pixel codes as black, the convention of a PDF CCITTFaxDecode stream with BlackIs1 false): the
// strip of EncodeG4Tiff without the TIFF around it.
int EncodeG4Data(const CPictInfo& pict, std::vector<uint8_t>& out);

// Decodes a picture file held in memory, as LoadImageFileProc decodes a file. The descriptor's
// file name and save settings are left alone. 1, or a negative ImageResult.
int DecodeImage(std::span<const uint8_t> bytes, CPictInfo& pict, int page = 0);

}  // namespace vellary::imaging
