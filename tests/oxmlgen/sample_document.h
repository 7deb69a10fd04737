// A three-page Japanese page set for the Office writer tests: a vertical text block with ruby and
// a tate-chu-yoko group, a horizontal title and a rule; a page with a table with merged cells
// and a picture; a page with only a picture and a rule.
#pragma once

#include <leptonica/allheaders.h>

#include <string>
#include <vector>

#include "office_records.h"

namespace vellary::testing {

inline std::vector<SamplePage> sampleDocument() {
  std::vector<SamplePage> pages(3);
  SamplePage& p1 = pages[0];
  SampleText title;
  title.lines.push_back({{700, 350, 700, 100}, u"文字認識の結果"});
  p1.texts.push_back(title);
  SampleText body;
  body.vertical = true;
  body.lines.push_back({{2500, 700, 80, 880}, u"吾輩は猫である。名前は"});
  SampleLine ruby{{2585, 700, 40, 160}, u"わがはい"};
  ruby.baseLine = 0, ruby.rcs = 1, ruby.rce = 2;
  body.lines.push_back(ruby);
  SampleLine tcy{{2360, 700, 80, 800}, u"まだ無い。12月に生れた"};
  tcy.rotation = {0, 0, 0, 0, 0, 100, 100, 0, 0, 0, 0, 0};
  body.lines.push_back(tcy);
  SampleLine sideways{{2220, 700, 80, 880}, u"頓と見当がつかぬ。ＡＢ"};
  sideways.rotation = {0, 0, 0, 0, 0, 0, 0, 0, 0, 90, 90};  // ＡＢ lie on their side
  body.lines.push_back(sideways);
  p1.texts.push_back(body);
  p1.rules.push_back({700, 480, 700, 4});

  SamplePage& p2 = pages[1];
  SampleText lines;
  lines.lines.push_back({{600, 400, 900, 100}, u"表と写真の頁です。"});
  lines.lines.push_back({{600, 540, 1000, 100}, u"ＯＣＲ結果を確認する。"});
  p2.texts.push_back(lines);
  SampleTable table;
  table.box = {600, 800, 1800, 450};
  auto cell = [](int r, int c, std::u16string text, int group = 0) {
    SampleCell x{
        {600 + (c - 1) * 600, 800 + (r - 1) * 150, 600, 150}, r, c, std::move(text), group};
    return x;
  };
  table.cells = {cell(1, 1, u"項目"),    cell(1, 2, u"内容", 1), cell(1, 3, u"", 1),
                 cell(2, 1, u"氏名", 2), cell(2, 2, u"山田"),    cell(2, 3, u"太郎"),
                 cell(3, 1, u"", 2),     cell(3, 2, u"東京"),    cell(3, 3, u"大阪")};
  table.cells[4].border[2] = 2;  // dotted right border
  table.cells[8].border[3] = 3;  // double bottom border
  p2.tables.push_back(table);
  p2.pictures.push_back({2000, 1600, 800, 600});

  SamplePage& p3 = pages[2];
  p3.pictures.push_back({600, 600, 1200, 900});
  p3.rules.push_back({2000, 600, 4, 900});
  return pages;
}

// A JPEG of `w` × `h` pixels: a light field crossed by a green band in a grey frame, written
// with Leptonica.
inline bool writeSampleJpeg(const std::string& path, int w, int h) {
  PIX* pix = pixCreate(w, h, 32);
  if (pix == nullptr) return false;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool band = std::abs(x * h / w - y) < h / 8;
      bool frame = x < 8 || y < 8 || x >= w - 8 || y >= h - 8;
      int v = band ? 40 : frame ? 120 : 230;
      composeRGBPixel(v, frame ? v : 200, v,
                      reinterpret_cast<l_uint32*>(pixGetData(pix)) + y * pixGetWpl(pix) + x);
    }
  pixSetResolution(pix, 100, 100);
  bool ok = pixWriteJpeg(path.c_str(), pix, 75, 0) == 0;
  pixDestroy(&pix);
  return ok;
}

}  // namespace vellary::testing
