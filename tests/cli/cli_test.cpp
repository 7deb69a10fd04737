// vellary-cli is used by tools outside the project: its output and exit codes are a contract.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "rovorirud/codec.h"
#include "support/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using Result = vellary::testing::CliResult;

class Cli : public ::testing::Test {
 protected:
  Result run(const std::string& args, const std::string& env = "") {
    return vellary::testing::runCli(args, scratch_, env);
  }
  static std::string slurp(const std::string& path) {
    return vellary::testing::TempDir::read(path);
  }
  std::string write(const std::string& name, const std::string& bytes) {
    return scratch_.write(name, bytes);
  }

  // A document from UTF-8 text, stored in code page 932 as the format wants.
  std::string writeSjis(const std::string& name, const std::u16string& text) {
    std::string bytes;
    EXPECT_TRUE(vellary::rovorirud::Codec::cp932().encode(text, bytes));
    return write(name, bytes);
  }

  vellary::testing::TempDir scratch_;
  const std::string dir_ = scratch_.path();
  const std::string sample_ = std::string(VELLARY_SOURCE_DIR) + "/samples/sample.xml";
};

TEST_F(Cli, DumpPrintsTheWholeModel) {
  Result r = run("dump " + sample_);
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out.rfind("{\"encoding\": 1, \"maxPageWidth\": 1200, \"maxPageHeight\": 1600, ", 0),
            0u);
  EXPECT_NE(r.out.find("\"type\": \"text\", \"direction\": \"vertical\""), std::string::npos);
  EXPECT_NE(r.out.find("\"attr\": \"ruby\", \"baseLine\": 0, \"rcs\": 4, \"rce\": 4"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"text\": \"～\", \"units\": [65374]"), std::string::npos);
  EXPECT_NE(r.out.find("\"border\": [\"solid\", \"solid\", \"dotted\", \"double\"]"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"sec\": \"lowerpagenum\", \"secCode\": 3"), std::string::npos);
  EXPECT_TRUE(r.err.empty());

  Result s = run("dump --summary " + sample_);
  ASSERT_EQ(s.exit, 0);
  EXPECT_EQ(s.out,
            "{\"pages\": 2, \"blocks\": 6, \"lines\": 6, \"chars\": 22, \"candidates\": 32}\n");
}

TEST_F(Cli, ReaderErrorsGiveTheUsersMessageAndExitTwo) {
  std::string bad = writeSjis("bad.xml",
                              u"<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\n<paper>\n"
                              u"<page number=\"1\">\n</page>\n</paper>\n");
  Result r = run("dump " + bad);
  EXPECT_EQ(r.exit, 2);
  EXPECT_EQ(r.out,
            "{\"error\": -5, \"line\": 3, \"message\": \"属性が間違っています。[3行目]\"}\n");
  Result summary = run("dump --summary " + bad);
  EXPECT_EQ(summary.exit, 2);
  EXPECT_EQ(summary.out, r.out);

  std::string enc =
      write("enc.xml", "<?xml version=\"1.0\" encoding=\"shift_jis\" ?>\n<paper>\n</paper>\n");
  Result e = run("dump " + enc);
  EXPECT_EQ(e.exit, 2);
  EXPECT_EQ(e.out,
            "{\"error\": -6, \"line\": 1, \"message\": \"未対応のエンコードタイプです。\"}\n");

  Result save = run("save " + bad + " " + dir_ + "/out.xml");
  EXPECT_EQ(save.exit, 2);
  EXPECT_NE(save.err.find("属性が間違っています。[3行目]"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ + "/out.xml"));
}

TEST_F(Cli, OtherFailuresExitOneWithOneLine) {
  Result missing = run("dump " + dir_ + "/none.xml");
  EXPECT_EQ(missing.exit, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_NE(missing.err.find("none.xml"), std::string::npos);
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);

  EXPECT_EQ(run("save " + sample_ + " " + dir_ + "/o.xml --encoding 3").exit, 1);
  EXPECT_EQ(run("save " + sample_ + " " + dir_ + "/o.xml --first x").exit, 1);
  EXPECT_EQ(run("save " + sample_ + " " + dir_ + "/o.xml --bogus 1").exit, 1);
  EXPECT_EQ(run("save " + sample_).exit, 1);
  EXPECT_EQ(run("frobnicate").exit, 1);
  EXPECT_EQ(run("save " + sample_ + " " + dir_ + "/no/such/dir/o.xml").exit, 1);
}

TEST_F(Cli, SaveWritesWhatDumpReadsBack) {
  std::string out = dir_ + "/copy.xml";
  ASSERT_EQ(run("save " + sample_ + " " + out).exit, 0);
  EXPECT_EQ(run("dump " + out).out, run("dump " + sample_).out);

  std::string euc = dir_ + "/euc.xml";
  ASSERT_EQ(run("save " + sample_ + " " + euc + " --encoding 2").exit, 0);
  EXPECT_EQ(slurp(euc).rfind("<?xml version=\"1.0\" encoding=\"EUC-JP\" ?>\r\n", 0), 0u);
  Result dumped = run("dump " + euc);
  EXPECT_EQ(dumped.out.rfind("{\"encoding\": 2,", 0), 0u);
  EXPECT_NE(dumped.out.find("\"text\": \"猫\""), std::string::npos);

  std::string second = dir_ + "/second.xml";
  ASSERT_EQ(run("save " + sample_ + " " + second + " --first 1 --last -1").exit, 0);
  EXPECT_EQ(run("dump --summary " + second).out,
            "{\"pages\": 1, \"blocks\": 2, \"lines\": 3, \"chars\": 6, \"candidates\": 7}\n");
  EXPECT_NE(slurp(second).find("<page number=\"1\""), std::string::npos);

  // A range that names no page of the document is refused, and nothing is written.
  for (const char* range :
       {"--first 2 --last 2", "--first 2", "--first 1 --last 0", "--last 5", "--first -3"}) {
    const std::string none = dir_ + "/none.xml";
    Result r = run("save " + sample_ + " " + none + " " + range);
    EXPECT_EQ(r.exit, 1) << range;
    EXPECT_NE(r.err.find("--first and --last take page indexes from 0 to 1"), std::string::npos)
        << range << ": " << r.err;
    EXPECT_FALSE(std::filesystem::exists(none)) << range;
  }
}

TEST_F(Cli, SaveRepairsImagePathsFromTheDocumentFolder) {
  fs::create_directories(dir_ + "/book");
  write("book/p1.tif", "image");
  std::string in = writeSjis(
      "in.xml",
      u"<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\n<paper>\n"
      u"<page number=\"1\" file=\"p1.tif\" fullpath=\"D:\\scan\\p1.tif\">\n</page>\n</paper>\n");
  std::string out = dir_ + "/out.xml";
  ASSERT_EQ(run("save " + in + " " + out + " --docpath " + dir_ + "/book.xml").exit, 0);
  EXPECT_NE(slurp(out).find("fullpath=\"" + dir_ + "/book/p1.tif\""), std::string::npos);
  ASSERT_EQ(run("save " + in + " " + out).exit, 0);  // without a document path nothing changes
  EXPECT_NE(slurp(out).find("fullpath=\"D:\\scan\\p1.tif\""), std::string::npos);
}

TEST_F(Cli, AFailedSaveKeepsThePreviousFile) {
  std::string out = write("keep.xml", "previous");
  std::string dirAsInput = dir_;  // a folder cannot be read as a document
  EXPECT_NE(run("save " + dirAsInput + " " + out).exit, 0);
  EXPECT_EQ(slurp(out), "previous");
  int entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 2);  // keep.xml and stderr.txt: no temporary file left behind
}

TEST_F(Cli, SettingsOnAFreshHomeShowEveryDefault) {
  fs::create_directories(dir_ + "/home");
  const std::string env = "env -u XDG_CONFIG_HOME -u XDG_DOCUMENTS_DIR HOME=" + dir_ + "/home";
  Result show = run("settings show", env);
  ASSERT_EQ(show.exit, 0) << show.err;
  EXPECT_NE(show.out.find("Backup/BackupInterval=5\n"), std::string::npos);
  EXPECT_NE(show.out.find("Parameter/WAREKI=明治|大正|昭和|平成\n"), std::string::npos);
  EXPECT_NE(show.out.find("Settings/文字種別色=0,0,11,4,0,0,0,0,0,11,11,11,4,2,9\n"),
            std::string::npos);
  EXPECT_NE(show.out.find("Window/width=800\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ + "/home/.config"));  // showing writes nothing

  // Export, change one class colour in the file, import: the store gets the new colours.
  std::string sew = dir_ + "/mine.sew";
  ASSERT_EQ(run("settings export " + sew, env).exit, 0);
  std::string bytes = slurp(sew);
  size_t at = bytes.find(
      "\x95\xB6\x8E\x9A\x8E\xED\x95\xCA\x90\x46"
      "0=0");  // 文字種別色0=0
  ASSERT_NE(at, std::string::npos);
  bytes[at + 12] = '7';
  write("mine.sew", bytes);
  ASSERT_EQ(run("settings import " + sew, env).exit, 0);
  EXPECT_TRUE(fs::exists(dir_ + "/home/.config/Tolvane/Vellary PRO 訂正プログラム.ini"));
  show = run("settings show", env);
  EXPECT_NE(show.out.find("Settings/文字種別色=7,0,11,4,0,0,0,0,0,11,11,11,4,2,9\n"),
            std::string::npos);
  EXPECT_NE(show.out.find("Settings/置換文字文字テーブル登録=0\n"), std::string::npos);

  EXPECT_EQ(run("settings import " + dir_ + "/none.sew", env).exit, 1);
  EXPECT_EQ(run("settings bogus", env).exit, 1);
}

}  // namespace

// The usage is one table: --help prints it, each command answers COMMAND --help with its part,
// and every option the help names is one its command takes (a table that drifted from the
// parsers would send users to options that do not exist).
TEST_F(Cli, TheHelpNamesTheOptionsTheCommandsTake) {
  Result help = run("--help");
  ASSERT_EQ(help.exit, 0) << help.err;
  EXPECT_EQ(help.out.rfind("usage: vellary-cli COMMAND", 0), 0u);
  // Each command's part: its line and the continuation lines under it.
  std::map<std::string, std::string> parts;
  std::string current;
  std::istringstream lines(help.out);
  for (std::string line; std::getline(lines, line);) {
    const std::string head = "  vellary-cli ";
    if (line.rfind(head, 0) == 0) {
      current = line.substr(head.size(), line.find(' ', head.size()) - head.size());
      parts[current] = line;
    } else if (!current.empty() && line.rfind("      ", 0) == 0) {
      parts[current] += line;
    } else {
      current.clear();
    }
  }
  EXPECT_EQ(parts.size(), 7u);
  for (const auto& [command, part] : parts) {
    Result own = run(command + " --help");
    EXPECT_EQ(own.exit, 0) << command;
    EXPECT_NE(own.out.find("vellary-cli " + command), std::string::npos) << own.out;
    for (size_t at = part.find("--"); at != std::string::npos; at = part.find("--", at + 2)) {
      const size_t end = part.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
      const std::string option = part.substr(at, end - at);
      // Without its value or the positional arguments the command fails, but never because it
      // does not know the option.
      Result r = run(command + " " + option);
      EXPECT_EQ(r.err.find("unknown option"), std::string::npos) << command << " " << option;
    }
  }
  // A usage error is one line, as every failure is.
  Result wrong = run("export " + sample_);
  EXPECT_EQ(wrong.exit, 1);
  EXPECT_EQ(wrong.err.rfind("vellary-cli: usage: vellary-cli export IN OUT --kind", 0), 0u)
      << wrong.err;
  EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 1);
  EXPECT_NE(wrong.err.find("--office-library PATH"), std::string::npos);

  Result version = run("--version");
  EXPECT_EQ(version.exit, 0);
  EXPECT_EQ(version.out.rfind("vellary-cli ", 0), 0u);
  Result nothing = run("");
  EXPECT_EQ(nothing.exit, 1);
  EXPECT_EQ(nothing.err.rfind("usage: vellary-cli COMMAND", 0), 0u);
}
