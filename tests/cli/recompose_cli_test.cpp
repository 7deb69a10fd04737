// vellary-cli recompose: the document opened as the editor opens it, optionally re-composed with
// joining, written atomically; exit codes as the other commands.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "recompose/pages.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"
#include "support/temp_dir.h"

namespace {

using namespace vellary::recompose::testing;
using vellary::testing::TempDir;

struct Outcome {
  int exit = -1;
  std::string err;
};

class Recompose : public ::testing::Test {
 protected:
  Outcome run(const std::string& args) {
    const std::string errFile = dir / "stderr.txt";
    const std::string cmd = std::string(VELLARY_BIN_DIR) + "/vellary-cli recompose " + args +
                            " >/dev/null 2>" + errFile;
    const int status = std::system(cmd.c_str());
    return Outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempDir::read(errFile)};
  }

  // A vertical page with 社長 and its ruby しゃちょう, and a paragraph in two blocks two pitches
  // apart.
  std::string input() {
    PaperData paper;
    paper.encoding = 1;
    PageData& p = paper.pages.emplace_back();
    p.number = 1;
    p.file = u"p1.tif";
    BlockData& ruby = addBlock(p, Vertical, 1240, 100, 240, 1000);
    addLine(ruby, u"社長が来る", 1380, 100, 60, 64);
    addSideLine(ruby, u"しゃちょう", 1442, 100, 28, {0, 30, 64, 82, 100});
    computeBlockAverages(ruby);
    for (int right : {1180, 840}) {
      BlockData& b = addBlock(p, Vertical, right - 190, 100, 190, 536, SecRef);
      for (int i = 0; i < 3; ++i)
        addLine(b, u"本文の続きの一行です", right - 50 - 70 * i, 100, 50, 54);
      computeBlockAverages(b);
    }
    const std::string path = dir / "in.xml";
    EXPECT_EQ(vellary::rovorirud::writeDocumentFile(paper, path), vellary::rovorirud::WriteOk);
    return path;
  }

  struct Result {
    size_t blocks = 0, blankLines = 0;
    std::vector<std::u16string> ruby;
  };
  static Result read(const std::string& path) {
    Result r;
    auto read = vellary::rovorirud::readDocumentFile(path);
    EXPECT_TRUE(read.paper);
    if (!read.paper) return r;
    for (const BlockData& b : read.paper->pages.front().blocks) {
      ++r.blocks;
      for (const LineData& l : b.lines) {
        if (l.attr == AttrRuby) r.ruby.push_back(textOf(l));
        r.blankLines += textOf(l) == u"\r";
      }
    }
    return r;
  }

  TempDir dir;
};

TEST_F(Recompose, OpensAsTheEditorDoesAndJoinsOnRequest) {
  const std::string in = input(), out = dir / "out.xml";
  Outcome r = run(in + " " + out);
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(r.err.empty());
  Result opened = read(out);
  EXPECT_EQ(opened.ruby, (std::vector<std::u16string>{u"しや", u"ちよう"}));
  EXPECT_EQ(opened.blocks, 3u);  // opening joins nothing

  ASSERT_EQ(run(in + " " + out + " --mono-ruby 0 --small-kana 0").exit, 0);
  EXPECT_EQ(read(out).ruby, std::vector<std::u16string>{u"しゃちょう"});

  ASSERT_EQ(run("--join " + in + " " + out).exit, 0);
  Result joined = read(out);
  EXPECT_EQ(joined.blocks, 2u);
  EXPECT_EQ(joined.blankLines, 2u);
  ASSERT_EQ(run(in + " " + out + " --join --breaks 0").exit, 0);
  EXPECT_EQ(read(out).blankLines, 0u);
}

TEST_F(Recompose, FailuresExitWithOneLineAndLeaveTheOutputAlone) {
  const std::string in = input(), out = dir.write("out.xml", "previous");
  auto oneLine = [](const Outcome& r) { return std::count(r.err.begin(), r.err.end(), '\n') == 1; };

  Outcome missing = run(dir / "none.xml " + out);
  EXPECT_EQ(missing.exit, 1);
  EXPECT_TRUE(oneLine(missing));
  EXPECT_NE(missing.err.find("none.xml"), std::string::npos);

  const std::string bad = dir.write("bad.xml",
                                    "<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\n<paper>\n"
                                    "<page number=\"1\">\n</page>\n</paper>\n");
  Outcome unreadable = run(bad + " " + out);
  EXPECT_EQ(unreadable.exit, 2);
  EXPECT_TRUE(oneLine(unreadable));
  EXPECT_NE(unreadable.err.find("[3行目]"), std::string::npos) << unreadable.err;

  for (const std::string& args :
       {in + " " + out + " --mono-ruby 2", in + " " + out + " --space-type x",
        in + " " + out + " --bogus 1", in, in + " " + out + " extra"}) {
    Outcome r = run(args);
    EXPECT_EQ(r.exit, 1) << args;
    EXPECT_TRUE(oneLine(r)) << args;
  }
  EXPECT_EQ(run(in + " " + dir / "no/such/dir/out.xml").exit, 1);
  EXPECT_EQ(TempDir::read(out), "previous");
}

}  // namespace
