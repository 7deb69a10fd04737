// The Office writer library driven through its C entry points, loaded by path as the program
// loads it, with the records of a three-page Japanese document; the files are read back with
// independent readers (python-docx, a zip and XML structure check, xpstopdf and pdftotext, and
// LibreOffice where it is installed).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "sample_document.h"
#include "support/temp_dir.h"

namespace vellary::testing {
namespace {

const std::string kLibrary = std::string(VELLARY_BIN_DIR) + "/../lib/vellary/liboxmlgen.so";
const std::string kProbe = std::string(VELLARY_SOURCE_DIR) + "/tests/oxmlgen/office_probe.py";

struct Output {
  int exit = -1;
  std::string out;
};

Output run(const std::string& cmd) {
  Output r;
  std::FILE* p = popen((cmd + " 2>/dev/null").c_str(), "r");
  if (p == nullptr) return r;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = pclose(p);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

bool have(const std::string& tool) { return run("command -v " + tool).exit == 0; }

// Text with every kind of white space removed, so that line breaks a reader puts in between
// characters of vertical columns do not matter.
std::string squeeze(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t' && c != '\f') out += c;
  return out;
}

class OfficeWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.complete()) << "cannot load " << kLibrary;
    base_ = dir_ / "tmpImg";
    ASSERT_TRUE(writeSampleJpeg(base_ + "0.jpg", 160, 120));
    ASSERT_TRUE(writeSampleJpeg(base_ + "1.jpg", 240, 180));
  }

  std::string write(OfficeKind kind, const std::string& name, int columnOption = 1) {
    std::string path = dir_ / name;
    EXPECT_EQ(create(kind, path, columnOption), 0) << name;
    return path;
  }
  // The create call's result for the sample document written to `path`.
  int create(OfficeKind kind, const std::string& path, int columnOption = 1) {
    lib_.init();
    OfficeDriver driver(lib_, kind, base_);
    auto pages = sampleDocument();
    for (const SamplePage& p : pages) driver.page(p);
    return kind == OfficeKind::Word
               ? lib_.docx(path.c_str(), int(path.size()), columnOption, 0, 0, 0)
           : kind == OfficeKind::PowerPoint
               ? lib_.pptx(path.c_str(), int(path.size()), columnOption, 0, 0, 0,
                           "/nonexistent/PptXTemplate")
               : lib_.xps(path.c_str(), int(path.size()), columnOption, 0, 0, 0);
  }

  std::string pdfText(const std::string& pdf) {
    return run("pdftotext -enc UTF-8 " + pdf + " -").out;
  }
  int pdfPages(const std::string& pdf) {
    std::string info = run("pdfinfo " + pdf).out;
    size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
  }
  // LibreOffice's conversion to PDF, into `dir_`; empty when it failed.
  std::string convertWithOffice(const std::string& file) {
    std::string profile = "file://" + (dir_ / "lo-profile");
    run("cd " + dir_.path() + " && soffice -env:UserInstallation=" + profile +
        " --headless --convert-to pdf --outdir " + dir_.path() + " " + file);
    std::string pdf = file.substr(0, file.rfind('.')) + ".pdf";
    return std::filesystem::exists(pdf) ? pdf : std::string();
  }

  OfficeLibrary lib_{kLibrary};
  TempDir dir_;
  std::string base_;
};

TEST_F(OfficeWriter, ExportsOnlyTheEntryPointsOfTheInterface) {
  Output nm =
      run("nm -D --defined-only " + kLibrary + " | awk '$2 ~ /^[TDBW]$/ {print $3}' | sort");
  ASSERT_EQ(nm.exit, 0);
  EXPECT_EQ(nm.out,
            "addImageArea\naddLineArea\naddPage\naddPageBreak\naddTableArea\naddTextArea\n"
            "addXPSFontSubset\ncreateDocX\ncreatePPTX\ncreateXPS\ninitDocxData\n"
            "setDocumentInfo\n");
}

// The files replace what was there as every other file of the program does: the mode of a
// private or read-only file is kept (a read-only one is refused), a link stays a link, and a
// failure answers with the system's reason.
TEST_F(OfficeWriter, FilesKeepModeAndLinksAndFailuresSayWhy) {
  struct stat st {};
  const std::string privateDoc = dir_.write("private.docx", "old");
  ::chmod(privateDoc.c_str(), 0600);
  EXPECT_EQ(create(OfficeKind::Word, privateDoc), 0);
  ASSERT_EQ(::stat(privateDoc.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_GT(st.st_size, 1000);

  const std::string readOnly = dir_.write("kept.pptx", "keep me");
  ::chmod(readOnly.c_str(), 0444);
  EXPECT_EQ(create(OfficeKind::PowerPoint, readOnly), EACCES);
  EXPECT_EQ(TempDir::read(readOnly), "keep me");

  std::filesystem::create_symlink("target.xps", dir_ / "link.xps");
  EXPECT_EQ(create(OfficeKind::Xps, dir_ / "link.xps"), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "link.xps"));
  EXPECT_GT(std::filesystem::file_size(dir_ / "target.xps"), 1000u);

  EXPECT_EQ(create(OfficeKind::Xps, "/dev/full"), ENOSPC);
  EXPECT_EQ(create(OfficeKind::Word, dir_ / "no-folder/a.docx"), ENOENT);
}

TEST_F(OfficeWriter, WordDocumentHoldsEveryParagraphCellRubyAndPage) {
  if (run("/usr/bin/python3 -c 'import docx'").exit != 0) GTEST_SKIP() << "python3-docx missing";
  std::string path = write(OfficeKind::Word, "doc.docx");
  Output r = run("/usr/bin/python3 " + kProbe + " docx " + path);
  ASSERT_EQ(r.exit, 0) << r.out;
  for (const char* text :
       {"p:文字認識の結果", "は猫である。名前は", "まだ無い。12月に生れた", "頓と見当がつかぬ。",
        "表と写真の頁です。", "ＯＣＲ結果を確認する。", "cell:項目", "cell:内容", "cell:氏名",
        "cell:山田", "cell:太郎", "cell:東京", "cell:大阪", "sections:3"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;

  std::string xml = run("/usr/bin/python3 " + kProbe + " part " + path + " word/document.xml").out;
  // The ruby group replaces its base in the text and carries both parts.
  EXPECT_NE(xml.find("<w:rt>"), std::string::npos);
  EXPECT_NE(xml.find("わがはい"), std::string::npos);
  EXPECT_NE(xml.find("<w:rubyBase><w:r>"), std::string::npos);
  EXPECT_NE(xml.find(">吾輩</w:t>"), std::string::npos);
  EXPECT_NE(xml.find("w:textDirection w:val=\"tbRl\""), std::string::npos);
  EXPECT_NE(xml.find("w:eastAsianLayout"), std::string::npos) << "tate-chu-yoko group";
  // Merged cells: one spans two columns, one two rows.
  EXPECT_NE(xml.find("<w:gridSpan w:val=\"2\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<w:vMerge w:val=\"restart\"/>"), std::string::npos);
  EXPECT_NE(xml.find("w:val=\"dotted\""), std::string::npos);
  EXPECT_NE(xml.find("w:val=\"double\""), std::string::npos);
  // Two pictures, one rule per text page and the picture page's rule.
  size_t pictures = 0, rules = 0;
  for (size_t at = 0; (at = xml.find("<pic:pic ", at)) != std::string::npos; ++at) ++pictures;
  for (size_t at = 0; (at = xml.find("prst=\"line\"", at)) != std::string::npos; ++at) ++rules;
  EXPECT_EQ(pictures, 2u);
  EXPECT_EQ(rules, 2u);
  // A4 at 400 dpi.
  EXPECT_NE(xml.find("<w:pgSz w:w=\"11905\" w:h=\"16837\"/>"), std::string::npos);
  // Nothing but the document is left in the folder.
  for (auto& e : std::filesystem::directory_iterator(dir_.path()))
    EXPECT_EQ(e.path().string().find(".tmp-"), std::string::npos) << e.path();
}

TEST_F(OfficeWriter, WordColumnOptionWritesFlowingText) {
  if (run("/usr/bin/python3 -c 'import docx'").exit != 0) GTEST_SKIP() << "python3-docx missing";
  std::string path = write(OfficeKind::Word, "flow.docx", 2);
  std::string xml = run("/usr/bin/python3 " + kProbe + " part " + path + " word/document.xml").out;
  EXPECT_EQ(xml.find("w:framePr"), std::string::npos);
  EXPECT_EQ(xml.find("w:tblpPr"), std::string::npos);
  EXPECT_NE(xml.find("<wp:inline"), std::string::npos);
  // The first page is mostly vertical text, the second horizontal: one vertical section.
  size_t vertical = xml.find("<w:textDirection w:val=\"tbRl\"/><w:docGrid");
  EXPECT_NE(vertical, std::string::npos);
  EXPECT_EQ(xml.find("<w:textDirection w:val=\"tbRl\"/><w:docGrid", vertical + 1),
            std::string::npos);
  Output r = run("/usr/bin/python3 " + kProbe + " docx " + path);
  EXPECT_NE(r.out.find("p:文字認識の結果"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("cell:山田"), std::string::npos) << r.out;
}

TEST_F(OfficeWriter, PresentationHasOneSlidePerPageWithItsText) {
  std::string path = write(OfficeKind::PowerPoint, "doc.pptx");
  Output r = run("/usr/bin/python3 " + kProbe + " pptx " + path);
  ASSERT_EQ(r.exit, 0) << r.out;
  EXPECT_NE(r.out.find("size:7559675,10691495"), std::string::npos) << r.out;
  auto slide = [&](int n) {
    std::string key = "slide " + std::to_string(n) + ": ";
    size_t at = r.out.find(key);
    return at == std::string::npos
               ? std::string("(none)")
               : r.out.substr(at + key.size(), r.out.find('\n', at) - at - key.size());
  };
  // Slides keep the base characters and have no ruby of their own.
  for (const char* t :
       {"文字認識の結果", "吾輩は猫である。名前は", "まだ無い。12月に生れた", "頓と見当がつかぬ。"})
    EXPECT_NE(slide(1).find(t), std::string::npos) << t << " in " << slide(1);
  for (const char* t :
       {"表と写真の頁です。", "ＯＣＲ結果を確認する。", "項目", "内容", "氏名", "山田", "大阪"})
    EXPECT_NE(slide(2).find(t), std::string::npos) << t << " in " << slide(2);
  EXPECT_EQ(slide(3), "");
  EXPECT_EQ(slide(4), "(none)");
  EXPECT_NE(r.out.find("slide 1 pictures:0 vertical:1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("slide 2 pictures:1 vertical:0"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("slide 3 pictures:1 vertical:0"), std::string::npos) << r.out;
}

TEST_F(OfficeWriter, XpsRendersToPagesWithTheText) {
  if (!have("xpstopdf") || !have("pdftotext")) GTEST_SKIP() << "xpstopdf or pdftotext missing";
  std::string path = write(OfficeKind::Xps, "doc.xps");
  std::string pdf = dir_ / "xps.pdf";
  ASSERT_EQ(run("xpstopdf " + path + " " + pdf).exit, 0);
  EXPECT_EQ(pdfPages(pdf), 3);
  std::string text = squeeze(pdfText(pdf));
  for (const char* t :
       {"文字認識の結果", "表と写真の頁です。", "ＯＣＲ結果を確認する。", "山田", "大阪"})
    EXPECT_NE(text.find(t), std::string::npos) << t << "\n" << text;
  // Vertical columns are set a glyph at a time; every character still comes out.
  for (const char* t : {"吾", "猫", "名", "見", "当"})
    EXPECT_NE(text.find(t), std::string::npos) << t;
  // A column is one run down the page in reading order: upright characters turned on their
  // side and the whole run a quarter clockwise, so that they stand upright again; characters
  // that lie on their side are a run of their own that is not turned back.
  std::string page1 =
      run("/usr/bin/python3 " + kProbe + " part " + path + " Documents/1/Pages/1.fpage").out;
  auto element = [&](const std::string& text) {
    size_t at = page1.find("UnicodeString=\"" + text + "\"");
    if (at == std::string::npos) return std::string();
    size_t start = page1.rfind("<Glyphs", at);
    return page1.substr(start, page1.find("/>", at) - start);
  };
  const std::string column = element("頓と見当がつかぬ。"), sideways = element("ＡＢ");
  ASSERT_FALSE(column.empty()) << page1;
  ASSERT_FALSE(sideways.empty()) << page1;
  EXPECT_NE(column.find("IsSideways=\"true\""), std::string::npos) << column;
  EXPECT_NE(column.find("RenderTransform=\"0,1,-1,0,"), std::string::npos) << column;
  EXPECT_EQ(sideways.find("IsSideways"), std::string::npos) << sideways;
  EXPECT_NE(sideways.find("RenderTransform=\"0,1,-1,0,"), std::string::npos) << sideways;
  // The runs of the page come in reading order: the title, then the columns right to left.
  size_t title = page1.find("文字認識の結果"), first = page1.find("UnicodeString=\"吾輩"),
         second = page1.find("UnicodeString=\"まだ無い"), third = page1.find("頓と見当");
  EXPECT_LT(title, first);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
}

// The attributes of the Glyphs element whose text starts with `text`: origin, em size, the
// first glyph's advance and the translation of its transform, in XPS units.
struct GlyphsAt {
  double x = -1, y = -1, em = 0, advance = 0, dx = -1, dy = -1;
};
GlyphsAt glyphsStarting(const std::string& page, const std::string& text) {
  GlyphsAt g;
  size_t at = page.find("UnicodeString=\"" + text);
  if (at == std::string::npos) return g;
  size_t start = page.rfind("<Glyphs", at), end = page.find("/>", at);
  std::string e = page.substr(start, end - start);
  auto number = [&](const std::string& name) {
    size_t k = e.find(" " + name + "=\"");
    return k == std::string::npos ? -1.0 : std::atof(e.c_str() + k + name.size() + 3);
  };
  g.x = number("OriginX"), g.y = number("OriginY"), g.em = number("FontRenderingEmSize");
  size_t comma = e.find(',', e.find("Indices=\""));
  if (comma != std::string::npos) g.advance = std::atof(e.c_str() + comma + 1) / 100 * g.em;
  size_t m = e.find("RenderTransform=\"");
  if (m != std::string::npos &&
      std::sscanf(e.c_str() + m + 17, "%*[^,],%*[^,],%*[^,],%*[^,],%lf,%lf", &g.dx, &g.dy) != 2)
    g.dx = g.dy = -1;
  return g;
}

TEST_F(OfficeWriter, XpsSetsEveryLineWhereTheScanHasIt) {
  std::string path = write(OfficeKind::Xps, "place.xps");
  std::string page1 =
      run("/usr/bin/python3 " + kProbe + " part " + path + " Documents/1/Pages/1.fpage").out;
  std::string page2 =
      run("/usr/bin/python3 " + kProbe + " part " + path + " Documents/1/Pages/2.fpage").out;
  const double unit = 96.0 / 400;  // XPS units per scan pixel at 400 dpi
  // Columns right to left: each column's run starts on the column's middle, at its top.
  const std::pair<const char*, int> columns[] = {{"吾", 2540}, {"ま", 2400}, {"頓", 2260}};
  for (auto [text, centre] : columns) {
    GlyphsAt g = glyphsStarting(page1, text);
    EXPECT_EQ(g.x, 0) << text;
    EXPECT_EQ(g.y, 0) << text;
    EXPECT_NEAR(g.dx, centre * unit, 2.0) << text;
    EXPECT_NEAR(g.dy, 700 * unit, 3.0) << text;
  }
  // Horizontal lines start at their left edge with the baseline inside the line box; the first
  // line of an area is rebuilt from the area, the others come with their own boxes.
  const std::tuple<const std::string*, const char*, int, int> rows[] = {
      {&page1, "文字認識の結果", 700, 350},
      {&page2, "表と写真の頁です。", 600, 400},
      {&page2, "ＯＣＲ結果を確認する。", 600, 540}};
  for (auto [page, text, left, top] : rows) {
    GlyphsAt g = glyphsStarting(*page, text);
    EXPECT_NEAR(g.x, left * unit, 2.0) << text;
    EXPECT_GT(g.y, top * unit) << text;
    EXPECT_LT(g.y, (top + 100) * unit) << text;
  }
}

TEST_F(OfficeWriter, XpsSetsRubyReadingsAboveTheirBase) {
  lib_.init();
  lib_.page(3307, 4677, 400, OxmlRect{0, 0, 0, 0}, 0, 0, "MS Pゴシック", "Century", 128);
  // 漢字を読む with かんじ over 漢字; one line of 100-pixel characters at (400, 400).
  std::vector<OxmlChar> chars = {rubyAnchor(0), entry(u'を'), entry(u'読'), entry(u'む'),
                                 lineEnd()};
  const uint16_t ruby[] = {u'か', u'ん', u'じ', u'漢', u'字'};
  const uint16_t group[] = {0, 3, 3, 2};
  OxmlArea line;
  std::memset(&line, 0, sizeof line);
  OxmlRect area{350, 380, 850, 520};
  line.field[3] = 350, line.field[4] = 380, line.field[5] = 850, line.field[6] = 520;
  line.field[7] = 1, line.field[8] = -1, line.field[9] = -21, line.field[11] = 18,
  line.field[12] = 1;
  line.field[14] = 128;
  lib_.text(&area, &line, 1, chars.data(), int32_t(chars.size()), group, 1, ruby, 5);
  lib_.pageBreak();
  std::string path = dir_ / "ruby.xps";
  ASSERT_EQ(lib_.xps(path.c_str(), int(path.size()), 1, 0, 0, 0), 0);
  std::string page =
      run("/usr/bin/python3 " + kProbe + " part " + path + " Documents/1/Pages/1.fpage").out;
  GlyphsAt base = glyphsStarting(page, "漢字を読む"), reading = glyphsStarting(page, "かんじ");
  ASSERT_GT(base.em, 0) << page;
  ASSERT_GT(reading.em, 0) << page;
  EXPECT_NEAR(reading.em, base.em / 2, 0.5);
  EXPECT_LT(reading.y, base.y - base.em * 0.6);
  EXPECT_GE(reading.x, base.x - 0.5);
  EXPECT_LT(reading.x, base.x + base.advance);
}

TEST_F(OfficeWriter, XpsUsesARegisteredSubsetFont) {
  if (!have("xpstopdf")) GTEST_SKIP() << "xpstopdf missing";
  std::string font = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
  if (!std::filesystem::exists(font)) GTEST_SKIP() << "IPA Gothic missing";
  lib_.init();
  OfficeDriver driver(lib_, OfficeKind::Xps, base_);
  driver.page(sampleDocument()[1]);
  lib_.font(128, font.c_str(), int(font.size()));
  std::string path = dir_ / "font.xps";
  ASSERT_EQ(lib_.xps(path.c_str(), int(path.size()), 1, 0, 0, 0), 0);
  std::string pdf = dir_ / "font.pdf";
  ASSERT_EQ(run("xpstopdf " + path + " " + pdf).exit, 0);
  EXPECT_NE(run("pdffonts " + pdf).out.find("IPAGothic"), std::string::npos);
  EXPECT_NE(squeeze(pdfText(pdf)).find("表と写真の頁です。"), std::string::npos);
}

// The characters of `expected` that `text` (UTF-8) lacks, counted with repetition, as UTF-8;
// blanks do not count.
std::string lacking(const std::u16string& expected, const std::string& text) {
  std::map<char32_t, int> have;
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = n == 1 ? b : b & (0x3F >> (n - 1));
    for (int k = 1; k < n && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3F);
    ++have[c];
    i += static_cast<size_t>(n);
  }
  std::string missing;
  for (char16_t u : expected) {
    if (u == u' ' || u == u'\u3000' || have[u]-- > 0) continue;
    // Only characters of the Basic Multilingual Plane are expected here.
    if (u < 0x80) {
      missing += static_cast<char>(u);
    } else if (u < 0x800) {
      missing += static_cast<char>(0xC0 | (u >> 6));
      missing += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      missing += static_cast<char>(0xE0 | (u >> 12));
      missing += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      missing += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return missing;
}

// `count` characters of running Japanese text with now and then a half-width number.
std::u16string runningText(size_t count, int seed) {
  const std::u16string words[] = {u"港の朝は", u"静かに",   u"始まり、", u"漁船が",   u"沖へ",
                                  u"向かう。", u"市場では", u"2023年の", u"水揚げを", u"数える。"};
  std::u16string out;
  for (size_t i = static_cast<size_t>(seed); out.size() < count; ++i) out += words[i % 10];
  out.resize(count);
  return out;
}

// Pages that the flow of a word processor could easily turn into more pages than the scan
// has: two columns whose reading order goes back up the page, a page set in a font wider than
// its scan's characters, a page of a picture alone, and a vertical page whose running head and
// footnote are horizontal.
std::vector<SamplePage> crowdedPages(std::vector<std::u16string>& pageTexts) {
  std::vector<SamplePage> pages(4);
  pageTexts.assign(4, u"");
  auto block = [&](int page, bool vertical, int x, int y, int lines, int chars, int size, int pitch,
                   int advance, int seed) {
    SampleText t;
    t.vertical = vertical;
    for (int i = 0; i < lines; ++i) {
      std::u16string line = runningText(static_cast<size_t>(chars), seed + i);
      PxRect box = vertical ? PxRect{x - i * pitch - size, y, size, chars * advance}
                            : PxRect{x, y + i * pitch, chars * advance, size};
      t.lines.push_back({box, line});
      pageTexts[page] += line;
    }
    pages[page].texts.push_back(t);
  };
  // Two columns of 38 lines each.
  block(0, false, 300, 500, 38, 22, 60, 95, 60, 0);
  block(0, false, 1750, 500, 38, 22, 60, 95, 60, 5);
  // Characters set closer on the scan than the font sets them.
  block(1, false, 300, 400, 44, 40, 64, 92, 56, 2);
  pages[2].pictures.push_back({600, 600, 1800, 2400});
  // A running head, a vertical body of 18 columns, a footnote and a page number.
  block(3, false, 300, 300, 1, 6, 50, 70, 50, 1);
  block(3, true, 3000, 600, 18, 36, 70, 130, 80, 3);
  block(3, false, 300, 3800, 2, 38, 50, 70, 50, 7);
  block(3, false, 1550, 4300, 1, 3, 40, 60, 40, 9);
  return pages;
}

TEST_F(OfficeWriter, WordPagesStayPagesWithEveryCharacterInOffice) {
  if (!have("soffice")) GTEST_SKIP() << "LibreOffice is not installed";
  std::vector<std::u16string> texts;
  lib_.init();
  OfficeDriver driver(lib_, OfficeKind::Word, base_);
  for (const SamplePage& p : crowdedPages(texts)) driver.page(p);
  const std::string path = dir_ / "crowded.docx";
  ASSERT_EQ(lib_.docx(path.c_str(), int(path.size()), 1, 0, 0, 0), 0);

  std::string xml = run("/usr/bin/python3 " + kProbe + " part " + path + " word/document.xml").out;
  // Text in the body, not in frames or floating tables; only the last page is vertical.
  EXPECT_EQ(xml.find("w:framePr"), std::string::npos);
  EXPECT_EQ(xml.find("w:tblpPr"), std::string::npos);
  size_t vertical = xml.find("<w:textDirection w:val=\"tbRl\"/><w:docGrid");
  EXPECT_NE(vertical, std::string::npos);
  EXPECT_GT(vertical, xml.rfind("<w:sectPr>", xml.rfind("<w:sectPr>") - 1));

  const std::string pdf = convertWithOffice(path);
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(pdfPages(pdf), 4);
  std::u16string all;
  for (int page = 1; page <= 4; ++page) {
    const std::string text = run("pdftotext -enc UTF-8 -f " + std::to_string(page) + " -l " +
                                 std::to_string(page) + " " + pdf + " -")
                                 .out;
    EXPECT_EQ(lacking(texts[page - 1], text), "") << "page " << page;
    all += texts[page - 1];
  }
  // The word processor's own text export holds every character too.
  std::string profile = "file://" + (dir_ / "lo-profile");
  run("cd " + dir_.path() + " && soffice -env:UserInstallation=" + profile +
      " --headless --convert-to txt:Text --outdir " + (dir_ / "txt") + " " + path);
  EXPECT_EQ(lacking(all, TempDir::read(dir_ / "txt/crowded.txt")), "");
}

TEST_F(OfficeWriter, OfficeConvertsWordAndPresentationToPdf) {
  if (!have("soffice")) GTEST_SKIP() << "LibreOffice is not installed";
  for (auto [kind, name] :
       {std::pair{OfficeKind::Word, "lo.docx"}, std::pair{OfficeKind::PowerPoint, "lo.pptx"}}) {
    std::string pdf = convertWithOffice(write(kind, name));
    ASSERT_FALSE(pdf.empty()) << name;
    EXPECT_EQ(pdfPages(pdf), 3) << name;
    // The first page is vertical in Word (its horizontal title too), and a reader of the PDF
    // takes vertical text row by row: every character is there, in whatever order.
    const std::string first = run("pdftotext -enc UTF-8 -f 1 -l 1 " + pdf + " -").out;
    const std::u16string page1 =
        u"文字認識の結果吾輩は猫である。名前はまだ無い。12月に生れた頓と見当がつかぬ。ＡＢ";
    EXPECT_EQ(lacking(page1, first), "") << name;
    std::string second = squeeze(run("pdftotext -enc UTF-8 -f 2 -l 2 " + pdf + " -").out);
    for (const char* t : {"表と写真の頁です。", "ＯＣＲ結果を確認する。", "山田", "大阪"})
      EXPECT_NE(second.find(t), std::string::npos) << name << ": " << t << "\n" << second;
  }
}

}  // namespace
}  // namespace vellary::testing
