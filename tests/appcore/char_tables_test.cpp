#include "appcore/char_tables.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace vellary::appcore {
namespace {

using vellary::testing::RecordingPrompter;
using vellary::testing::TempDir;

std::string utf16(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

class Tables : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingPrompter prompter;
  CharTable registered{CharTable::Kind::Registered};
  CharTable explain{CharTable::Kind::Explanation};
};

TEST_F(Tables, RegisteredLinesSplitAtBlanksCommasAndTabs) {
  std::string path = dir.write("r.csv", utf16(u"ABC,XYZ\r\nABC\r\nA B,C\r\n\t旧字,新字 extra\r\n"));
  ASSERT_EQ(registered.load(path, prompter), 4);
  EXPECT_EQ(registered.pairs[0].first, u"ABC");
  EXPECT_EQ(registered.pairs[0].second, u"XYZ");
  EXPECT_EQ(registered.pairs[1].second, u"");
  EXPECT_EQ(registered.pairs[2].first, u"A");
  EXPECT_EQ(registered.pairs[2].second, u"B");
  EXPECT_EQ(registered.pairs[3].first, u"旧字");
  EXPECT_EQ(registered.pairs[3].second, u"新字");
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(Tables, ExplanationsSplitAtTabsButNotCommas) {
  std::string path = dir.write("e.txt", utf16(u"字\tジ\r\n未\tミ、いまだ\r\na,b\tc\r\n"));
  ASSERT_EQ(explain.load(path, prompter), 3);
  EXPECT_EQ(explain.explanationOf(u"字"), u"ジ");
  EXPECT_EQ(explain.explanationOf(u"a,b"), u"c");
  EXPECT_EQ(explain.explanationOf(u"末"), u"");
}

TEST_F(Tables, BlankLinesDoNotCostTheUsersEntries) {
  // An editor's trailing blank line once emptied the table, and the next save at exit then
  // overwrote the user's file with nothing.
  std::string path = dir.write("r.csv", utf16(u"ABC,XYZ\r\n\r\nDEF,UVW\r\n\r\n"));
  ASSERT_EQ(registered.load(path, prompter), 2);
  EXPECT_EQ(registered.pairs[1].first, u"DEF");
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(Tables, AFileThatIsNotTextIsAReadErrorAndKeepsTheTable) {
  registered.pairs.push_back({u"keep", u"me"});
  std::string path = dir.write("bad.csv", std::string("\xFF\xFE\x41", 3));  // half a unit
  EXPECT_EQ(registered.load(path, prompter), -1);
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "文字登録テーブル読み込みエラー");
  EXPECT_EQ(prompter.shown[0].caption, "ファイル読み込みエラー");
  EXPECT_EQ(registered.pairs.size(), 1u);

  EXPECT_EQ(explain.load(path, prompter), -1);
  EXPECT_EQ(prompter.shown.back().text, "候補文字の説明読込みエラー");
}

TEST_F(Tables, AMissingFileKeepsTheRegisteredTableAndEmptiesTheExplanations) {
  registered.pairs.push_back({u"a", u"b"});
  explain.pairs.push_back({u"c", u"d"});
  EXPECT_EQ(registered.load(dir / "none.csv", prompter), -1);
  EXPECT_EQ(explain.load(dir / "none.txt", prompter), -1);
  EXPECT_EQ(registered.pairs.size(), 1u);
  EXPECT_TRUE(explain.pairs.empty());
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(Tables, AddingAPairTwiceAddsItOnce) {
  EXPECT_EQ(registered.addRegistered(u"ABC", u"XYZ"), 1);
  EXPECT_EQ(registered.modified, 1);
  EXPECT_EQ(registered.addRegistered(u"ABC", u"XYZ"), -1);
  EXPECT_EQ(registered.addRegistered(u"ABC", u"XYW"), 2);
  EXPECT_EQ(registered.searchWords(), (std::vector<std::u16string>{u"ABC", u"ABC"}));
}

TEST_F(Tables, SavedTablesReadBackAndFailuresAreShown) {
  registered.pairs = {{u"髙", u"高"}, {u"𠮟", u"叱"}};
  std::string path = dir / "r.csv";
  ASSERT_EQ(registered.save(path, prompter), 0);
  EXPECT_EQ(TempDir::read(path), utf16(u"髙,高\r\n𠮟,叱\r\n"));
  CharTable back(CharTable::Kind::Registered);
  ASSERT_EQ(back.load(path, prompter), 2);
  EXPECT_EQ(back.pairs[1].first, u"𠮟");

  explain.pairs = {{u"字", u"ジ"}};
  ASSERT_EQ(explain.save(dir / "e.txt", prompter), 0);
  EXPECT_EQ(TempDir::read(dir / "e.txt"), utf16(u"字\tジ\r\n"));

  std::string nowhere = dir / "no/such/folder/r.csv";
  EXPECT_EQ(registered.save(nowhere, prompter), -1);
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "ファイル(" + nowhere + ")が開けません");
  EXPECT_EQ(prompter.shown[0].caption, "ファイルオープンエラー");
}

TEST_F(Tables, ExitSavesOnlyChangedTables) {
  registered.fileName = dir / "r.csv";
  EXPECT_TRUE(registered.saveIfModified(prompter));
  EXPECT_FALSE(std::filesystem::exists(registered.fileName));
  registered.addRegistered(u"a", u"b");
  EXPECT_TRUE(registered.saveIfModified(prompter));
  EXPECT_EQ(registered.modified, 0);
  EXPECT_TRUE(std::filesystem::exists(registered.fileName));
}

// What loads must save and load again equal: a NUL (which the saved UTF-16 copy could not hold)
// and bytes that decode to no character are refused with the message; a pipe is not waited on.
TEST_F(Tables, TextThatCouldNotComeBackIsRefused) {
  for (const std::string& bytes : {std::string("ABC,X\0Y\n", 8), std::string("\x8E\x9A,\xFF\n"),
                                   std::string("\xEF\xBB\xBF" "A\0,B\n", 9)}) {
    registered.pairs = {{u"keep", u"me"}};
    EXPECT_EQ(registered.load(dir.write("t.csv", bytes), prompter), -1);
    EXPECT_EQ(prompter.shown.back().text, "文字登録テーブル読み込みエラー");
    EXPECT_EQ(registered.pairs.size(), 1u);
  }
  const std::string fifo = dir / "pipe.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  registered.pairs = {{u"keep", u"me"}};
  EXPECT_EQ(registered.load(fifo, prompter), -1);
  EXPECT_EQ(registered.pairs.size(), 1u);  // as a file that cannot be opened
}

// Random files of every kind the loader meets: whatever loads, saves and loads back equal.
TEST_F(Tables, WhatLoadsSavesAndLoadsBackEqual) {
  std::mt19937 random(20240611);
  const std::vector<std::string> pieces = {
      "A", "z", ",", " ", "\t", "\r", "\n", "\r\n", "\xE5\xAD\x97", "\x8E\x9A", "\xFF",
      std::string(1, '\0'), "\xEF\xBB\xBF", "\xEF\xBF\xBD", "\x81", "\xED\xA0\x80",
      "\xF0\x9F\x98\x80"};
  int loaded = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    const int lead = round % 4;
    if (lead == 1) bytes = "\xFF\xFE";
    if (lead == 2) bytes = "\xFE\xFF";
    const int count = static_cast<int>(random() % 24);
    for (int i = 0; i < count; ++i) bytes += pieces[random() % pieces.size()];
    // The bytes load reads and save writes, without the disk.
    for (CharTable::Kind kind : {CharTable::Kind::Registered, CharTable::Kind::Explanation}) {
      auto first = CharTable::parse(bytes, kind);
      if (!first) continue;
      ++loaded;
      auto second = CharTable::parse(CharTable::serialize(*first, kind), kind);
      ASSERT_TRUE(second) << round;
      ASSERT_EQ(second->size(), first->size()) << round;
      for (size_t i = 0; i < first->size(); ++i) {
        EXPECT_EQ((*second)[i].first, (*first)[i].first) << round;
        EXPECT_EQ((*second)[i].second, (*first)[i].second) << round;
      }
    }
  }
  EXPECT_GT(loaded, 1000);  // the property was tried, not only refused
}

TEST_F(Tables, FilesFromOtherEditorsAreReadAsUtf8OrCodePage932) {
  ASSERT_EQ(explain.load(dir.write("u8.txt", "\xEF\xBB\xBF字\tジ\n"), prompter), 1);
  EXPECT_EQ(explain.explanationOf(u"字"), u"ジ");
  ASSERT_EQ(explain.load(dir.write("sjis.txt", "\x8E\x9A\t\x83\x57\r\n"), prompter), 1);
  EXPECT_EQ(explain.explanationOf(u"字"), u"ジ");
}

}  // namespace
}  // namespace vellary::appcore
