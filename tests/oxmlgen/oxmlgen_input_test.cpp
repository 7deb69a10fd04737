// Calls that point outside their buffers, carry negative counts or null pointers are ignored as
// a whole, and what follows them still works; failures of the create calls are reported.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <regex>
#include <string>

#include "office_records.h"
#include "support/temp_dir.h"

namespace vellary::testing {
namespace {

const std::string kLibrary = std::string(VELLARY_BIN_DIR) + "/../lib/vellary/liboxmlgen.so";
const std::string kProbe = std::string(VELLARY_SOURCE_DIR) + "/tests/oxmlgen/office_probe.py";

std::string probe(const std::string& args, int* exit = nullptr) {
  std::string out;
  std::FILE* p = popen(("/usr/bin/python3 " + kProbe + " " + args + " 2>&1").c_str(), "r");
  if (p == nullptr) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  if (exit != nullptr) *exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::string documentXml(const std::string& docx) {
  return probe("part " + docx + " word/document.xml");
}

OxmlArea record() {
  OxmlArea a;
  std::memset(&a, 0, sizeof a);
  return a;
}

class OfficeInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.complete());
    lib_.init();
    lib_.page(11905, 16837, 400, OxmlRect{1000, 1000, 1000, 1000}, 400, 400, "ＭＳ 明朝", "Century",
              128);
  }

  // A horizontal one-line area at the top of the page with `text`, its ruby as given.
  void text(const std::u16string& text, std::vector<OxmlChar> extra = {},
            const uint16_t* groups = nullptr, int32_t groupCount = 0,
            const uint16_t* ruby = nullptr, int32_t rubyCount = 0) {
    std::vector<OxmlChar> chars;
    for (char16_t u : text) chars.push_back(entry(u));
    chars.insert(chars.end(), extra.begin(), extra.end());
    chars.push_back(lineEnd());
    OxmlArea line = record();
    line.field[3] = 100, line.field[4] = 100, line.field[5] = 300, line.field[6] = 120;
    line.field[7] = 1, line.field[8] = -1, line.field[9] = -20, line.field[11] = 10,
    line.field[12] = 1;
    line.field[14] = 128;
    OxmlRect area{100, 100, 300, 120};
    lib_.text(&area, &line, 1, chars.data(), int32_t(chars.size()), groups, groupCount, ruby,
              rubyCount);
  }

  std::string create() {
    std::string path = dir_ / "input.docx";
    EXPECT_EQ(lib_.docx(path.c_str(), int(path.size()), 1, 0, 0, 0), 0);
    return documentXml(path);
  }

  OfficeLibrary lib_{kLibrary};
  TempDir dir_;
};

TEST_F(OfficeInput, RubyGroupsPointingOutsideTheirCharactersAreIgnored) {
  const uint16_t ruby[] = {u'か', u'な', u'漢'};
  const uint16_t oddOffset[] = {1, 2, 2, 1};  // byte offset in the middle of a unit
  const uint16_t pastRuby[] = {4, 2, 2, 1};   // units 2 and 3 do not both exist
  const uint16_t pastBase[] = {0, 2, 2, 5};
  text(u"奇数", {rubyAnchor(0)}, oddOffset, 1, ruby, 3);
  text(u"範囲外", {rubyAnchor(0)}, pastRuby, 1, ruby, 3);
  text(u"親文字", {rubyAnchor(0)}, pastBase, 1, ruby, 3);
  text(u"番号", {rubyAnchor(3)}, nullptr, 0, nullptr, 0);  // an anchor without a group
  text(u"負", {}, pastBase, -1, ruby, 3);
  const uint16_t good[] = {0, 2, 2, 1};
  text(u"正しい", {rubyAnchor(0)}, good, 1, ruby, 3);
  std::string xml = create();
  for (const char* gone : {"奇数", "範囲外", "親文字", "番号", "負"})
    EXPECT_EQ(xml.find(gone), std::string::npos) << gone;
  EXPECT_NE(xml.find("正しい"), std::string::npos);
  EXPECT_NE(xml.find(">かな</w:t>"), std::string::npos);
  EXPECT_NE(xml.find(">漢</w:t>"), std::string::npos);
}

TEST_F(OfficeInput, BadCountsAndNullPointersAreIgnored) {
  OxmlRect area{0, 0, 10, 10};
  OxmlArea line = record();
  OxmlChar c = entry(u'字');
  lib_.text(nullptr, &line, 1, &c, 1, nullptr, 0, nullptr, 0);
  lib_.text(&area, nullptr, 1, &c, 1, nullptr, 0, nullptr, 0);
  lib_.text(&area, &line, -1, &c, 1, nullptr, 0, nullptr, 0);
  lib_.text(&area, &line, 1, &c, -5, nullptr, 0, nullptr, 0);
  lib_.text(&area, &line, 1, nullptr, 3, nullptr, 0, nullptr, 0);
  lib_.text(&area, &line, 1, &c, 1, nullptr, 2, nullptr, 0);  // groups counted but not given
  lib_.table(nullptr, &line, 1, 1, 1, &c, 1);
  lib_.table(&area, &line, 1, -1, 1, &c, 1);
  lib_.table(&area, &line, 1, 2, 2, &c, 1);  // four cells announced, one given
  lib_.table(&area, &line, 1, 1, 1, nullptr, 4);
  lib_.image(nullptr, "/tmp/x", OXML_PICTURE_JPEG);
  lib_.image(&line, nullptr, OXML_PICTURE_JPEG);
  lib_.line(nullptr);
  lib_.page(0, 100, 400, OxmlRect{}, 0, 0, nullptr, nullptr, 128);
  lib_.page(100, 100, 400, OxmlRect{}, 0, 0, nullptr, nullptr, 128);  // null font names
  text(u"残る");
  std::string xml = create();
  EXPECT_NE(xml.find("残る"), std::string::npos);
  EXPECT_EQ(xml.find(">字<"), std::string::npos);
  EXPECT_EQ(xml.find("<w:tbl>"), std::string::npos);
}

TEST_F(OfficeInput, CellsWhoseCharactersLieOutsideTheBufferDropTheTable) {
  std::vector<OxmlChar> chars = {entry(u'表'), entry(u'中')};
  OxmlRect area{100, 100, 200, 150};
  OxmlArea cells[2] = {record(), record()};
  for (int i = 0; i < 2; ++i) {
    cells[i].field[7] = 1, cells[i].field[8] = i + 1;
    cells[i].field[3] = 400 + i * 200, cells[i].field[4] = 400, cells[i].field[5] = 600 + i * 200,
    cells[i].field[6] = 500;
    cells[i].field[0] = cells[i].field[1] = i, cells[i].field[2] = 1;
  }
  cells[1].field[2] = 2;  // runs one past the end
  lib_.table(&area, cells, 2, 1, 2, chars.data(), 2);
  cells[1].field[2] = 1;
  cells[1].field[0] = cells[1].field[1] = -1;
  lib_.table(&area, cells, 2, 1, 2, chars.data(), 2);
  EXPECT_EQ(create().find("<w:tbl>"), std::string::npos);
  cells[1].field[0] = cells[1].field[1] = 1;
  lib_.table(&area, cells, 2, 1, 2, chars.data(), 2);
  std::string xml = create();
  EXPECT_NE(xml.find("<w:tbl>"), std::string::npos);
  EXPECT_NE(xml.find(">中</w:t>"), std::string::npos);
}

TEST_F(OfficeInput, TextIsEscapedAndSurrogatePairsJoined) {
  text(u"a<b>&\"c\" \U00020BB7野家");
  text(u"孤\xD800立");  // a lone high surrogate
  std::string xml = create();
  EXPECT_NE(xml.find("a&lt;b&gt;&amp;&quot;c&quot; \xF0\xA0\xAE\xB7野家"), std::string::npos);
  EXPECT_NE(xml.find("孤\xEF\xBF\xBD立"), std::string::npos);
}

TEST_F(OfficeInput, PictureNumbersCountEveryCallAndMissingFilesAreSkipped) {
  // Only the second picture's file exists; the first call still used up number 0.
  std::string base = dir_ / "pic";
  {
    static const unsigned char kJpeg[] = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x02,
                                          0x00, 0x03, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xD9};
    dir_.write("pic1.jpg", std::string(reinterpret_cast<const char*>(kJpeg), sizeof kJpeg));
  }
  OxmlArea pic = record();
  pic.field[3] = 10, pic.field[4] = 10, pic.field[5] = 110, pic.field[6] = 60;
  lib_.image(&pic, base.c_str(), OXML_PICTURE_JPEG);
  lib_.image(&pic, base.c_str(), OXML_PICTURE_JPEG);
  std::string xml = create();
  size_t count = 0;
  for (size_t at = 0; (at = xml.find("<pic:pic ", at)) != std::string::npos; ++at) ++count;
  EXPECT_EQ(count, 1u);
}

TEST_F(OfficeInput, CreateReportsFailures) {
  text(u"本文");
  std::string bad = "/nonexistent-folder/x.docx";
  EXPECT_NE(lib_.docx(bad.c_str(), int(bad.size()), 1, 0, 0, 0), 0);
  EXPECT_NE(lib_.pptx(bad.c_str(), int(bad.size()), 1, 0, 0, 0, nullptr), 0);
  EXPECT_NE(lib_.xps(bad.c_str(), int(bad.size()), 1, 0, 0, 0), 0);
  EXPECT_NE(lib_.docx(nullptr, 0, 1, 0, 0, 0), 0);
  // A folder is not a file name.
  EXPECT_NE(lib_.docx(dir_.path().c_str(), int(dir_.path().size()), 1, 0, 0, 0), 0);
  // The length given wins over a longer string.
  std::string longer = (dir_ / "short.docx") + "-ignored";
  EXPECT_EQ(lib_.docx(longer.c_str(), int(longer.size() - 8), 1, 0, 0, 0), 0);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "short.docx"));
  // A new document without pages writes nothing.
  lib_.init();
  std::string empty = dir_ / "empty.docx";
  EXPECT_NE(lib_.docx(empty.c_str(), int(empty.size()), 1, 0, 0, 0), 0);
  EXPECT_NE(lib_.xps(empty.c_str(), int(empty.size()), 1, 0, 0, 0), 0);
  EXPECT_FALSE(std::filesystem::exists(empty));
}

TEST_F(OfficeInput, PagesWithoutAddPageStillFormPages) {
  lib_.pageBreak();  // the started page
  OxmlArea rule = record();
  rule.field[3] = 100, rule.field[4] = 200, rule.field[5] = 900, rule.field[6] = 200,
  rule.field[12] = 1, rule.field[16] = 1;
  lib_.line(&rule);
  lib_.pageBreak();
  std::string xml = create();
  size_t sections = 0;
  for (size_t at = 0; (at = xml.find("<w:sectPr>", at)) != std::string::npos; ++at) ++sections;
  EXPECT_EQ(sections, 2u);
  EXPECT_NE(xml.find("prst=\"line\""), std::string::npos);
}

// However many drawings a page has, they take no room in the page's flow: all sit in one
// paragraph, so none can be pushed onto the next page with its anchor.
TEST_F(OfficeInput, ManyRulesShareOneParagraph) {
  for (int i = 0; i < 100; ++i) {
    OxmlArea rule = record();
    rule.field[3] = 100, rule.field[4] = 100 + 30 * i, rule.field[5] = 900,
    rule.field[6] = 100 + 30 * i;
    rule.field[12] = 1, rule.field[16] = 1;
    lib_.line(&rule);
  }
  lib_.pageBreak();
  std::string xml = create();
  size_t paragraphs = 0, drawings = 0;
  for (size_t at = 0; (at = xml.find("<w:p>", at)) != std::string::npos; ++at) ++paragraphs;
  for (size_t at = 0; (at = xml.find("<w:drawing>", at)) != std::string::npos; ++at) ++drawings;
  EXPECT_EQ(drawings, 100u);
  EXPECT_EQ(paragraphs, 1u);
}

// A presentation has one slide size, the first page's; a landscape page after a portrait one is
// scaled down to fit its slide instead of running off it.
TEST_F(OfficeInput, SlidesOfAnotherSizeAreScaledToFit) {
  text(u"縦の頁");
  lib_.pageBreak();
  lib_.page(16837, 11905, 400, OxmlRect{1000, 1000, 1000, 1000}, 400, 400, "MS Pゴシック",
            "Century", 128);
  std::vector<OxmlChar> chars = {entry(u'横'), lineEnd()};
  OxmlArea line = record();
  line.field[3] = 700, line.field[4] = 100, line.field[5] = 820, line.field[6] = 140;
  line.field[9] = -20, line.field[11] = 20, line.field[12] = 1, line.field[14] = 128;
  OxmlRect wide{700, 100, 820, 140};  // points: near the right edge of a landscape A4 page
  lib_.text(&wide, &line, 1, chars.data(), 2, nullptr, 0, nullptr, 0);
  lib_.pageBreak();
  std::string path = dir_ / "sizes.pptx";
  ASSERT_EQ(lib_.pptx(path.c_str(), int(path.size()), 1, 0, 0, 0, nullptr), 0);
  std::string slide = probe("part " + path + " ppt/slides/slide2.xml");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(
      slide, m,
      std::regex("<a:off x=\"(-?\\d+)\" y=\"(-?\\d+)\"/><a:ext cx=\"(\\d+)\" cy=\"(\\d+)\"/>")))
      << slide;
  const long long slideWidth = 7559675;  // portrait A4 in EMU
  long long x = std::stoll(m[1]), cx = std::stoll(m[3]);
  EXPECT_GE(x, 0);
  EXPECT_LE(x + cx, slideWidth);
  EXPECT_GT(x + cx, slideWidth * 8 / 10) << "scaled, not moved";
}

// Records with random counts, offsets, marks and merge numbers, each in a buffer of exactly the
// size given (so that a read past it shows under a memory checker): whatever is accepted still
// makes files that parse.
TEST_F(OfficeInput, RandomRecordsStillMakeWellFormedFiles) {
  std::mt19937 rng(20261209);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int page = 0; page < 40; ++page) {
    if (page % 5 != 0)
      lib_.page(uint16_t(pick(0, 20000)), uint16_t(pick(0, 20000)), uint16_t(pick(0, 600)),
                OxmlRect{pick(-9, 9), 0, 0, 0}, pick(-500, 5000), pick(-500, 5000), "\xff\xfe<&",
                "Century", 128);
    for (int area = 0; area < 3; ++area) {
      std::vector<OxmlArea> lines(pick(1, 4), record());
      for (OxmlArea& l : lines)
        for (int& f : l.field)
          f = pick(0, 30) == 0 ? (pick(0, 1) ? INT32_MAX : INT32_MIN) : pick(-3, 3) * pick(0, 400);
      std::vector<OxmlChar> chars(pick(0, 12));
      for (OxmlChar& c : chars) {
        int kind = pick(0, 9);
        c = kind == 0   ? lineEnd()
            : kind == 1 ? rubyAnchor(uint16_t(pick(0, 3)))
                        : entry(uint16_t(pick(0, 0xFFFF)), 0, uint16_t(pick(0, 2) * 50));
      }
      std::vector<uint16_t> groups(4 * pick(0, 2)), ruby(pick(0, 6));
      for (uint16_t& g : groups) g = uint16_t(pick(0, 14));
      for (uint16_t& r : ruby) r = uint16_t(pick(0x3041, 0x3096));
      OxmlRect box{pick(0, 500), pick(0, 500), pick(0, 900),
                   pick(0, 10) == 0 ? INT32_MAX : pick(0, 900)};
      lib_.text(&box, lines.data(), int32_t(lines.size()), chars.data(), int32_t(chars.size()),
                groups.data(), int32_t(groups.size() / 4), ruby.data(), int32_t(ruby.size()));
      int rows = pick(1, 3), cols = pick(1, 3);
      std::vector<OxmlArea> cells(rows * cols, record());
      for (OxmlArea& c : cells) {
        c.field[0] = c.field[1] = pick(-2, 14);
        c.field[2] = pick(-2, 14);
        c.field[3] = pick(0, 900), c.field[4] = pick(0, 900), c.field[5] = pick(0, 900),
        c.field[6] = pick(0, 900);
        c.field[7] = pick(0, 3), c.field[8] = pick(0, 3), c.field[9] = pick(-5, 300),
        c.field[10] = pick(-5, 300);
        c.field[11] = pick(-5, 40), c.field[16] = pick(-1, 5), c.field[21] = pick(-2, 2),
        c.field[22] = pick(-2, 2);
      }
      lib_.table(&box, cells.data(), int32_t(cells.size()), rows, cols, chars.data(),
                 int32_t(chars.size()));
      OxmlArea rule = lines[0];
      lib_.line(&rule);
    }
    lib_.pageBreak();
  }
  for (const char* name : {"random.docx", "random.pptx", "random.xps"}) {
    std::string path = dir_ / name;
    std::string kind(name + 7);
    int rc = kind == "docx"   ? lib_.docx(path.c_str(), int(path.size()), 1, 0, 0, 0)
             : kind == "pptx" ? lib_.pptx(path.c_str(), int(path.size()), 1, 0, 0, 0, "")
                              : lib_.xps(path.c_str(), int(path.size()), 1, 0, 0, 0);
    ASSERT_EQ(rc, 0) << name;
    int exit = -1;
    std::string out = probe("wellformed " + path, &exit);
    EXPECT_EQ(exit, 0) << name << "\n" << out;
  }
  int exit = -1;
  std::string out = probe("pptx " + (dir_ / "random.pptx"), &exit);
  EXPECT_EQ(exit, 0) << out;
  EXPECT_NE(out.find("slide 40:"), std::string::npos) << out;
  out = probe("docx " + (dir_ / "random.docx"), &exit);
  EXPECT_EQ(exit, 0) << out;
}

}  // namespace
}  // namespace vellary::testing
