// What the settings sheet tests share: settings and tables in memory, a recording prompter, common
// dialogs answered from a script, and counters of what the sheet asked of the frame.
#pragma once

#include <QApplication>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings_ui/setting_sheet.h"
#include "settings_ui/standard_dialogs.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace vellary::testing {

// Answers each dialog from its queue; an empty queue answers as Cancel would.
class ScriptedDialogs : public settings_ui::StandardDialogs {
 public:
  std::optional<std::string> openFile(QWidget*, const settings_ui::FileRequest& r) override {
    requests.push_back(r);
    return next(files);
  }
  std::optional<std::string> saveFile(QWidget*, const settings_ui::FileRequest& r) override {
    requests.push_back(r);
    return next(files);
  }
  std::optional<QColor> colour(QWidget*, const QColor& initial,
                               settings_ui::CustomColours& custom) override {
    colourInitials.push_back(initial);
    customSeen = custom;
    return next(colours);
  }
  std::optional<QFont> font(QWidget*, const QFont& initial) override {
    fontInitials.push_back(initial);
    return next(fonts);
  }

  std::deque<std::optional<std::string>> files;
  std::deque<std::optional<QColor>> colours;
  std::deque<std::optional<QFont>> fonts;
  std::vector<settings_ui::FileRequest> requests;
  std::vector<QColor> colourInitials;
  std::vector<QFont> fontInitials;
  settings_ui::CustomColours customSeen;

 private:
  template <class T>
  static std::optional<T> next(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<T> answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

struct SheetHarness {
  TempDir dir;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  appcore::CharTable registered{appcore::CharTable::Kind::Registered};
  appcore::CharTable explanations{appcore::CharTable::Kind::Explanation};
  RecordingPrompter prompter;
  ScriptedDialogs dialogs;
  int redraws = 0;
  int placements = 0;
  std::unique_ptr<settings_ui::CSetting> sheet;

  settings_ui::CSetting& make() {
    sheet = std::make_unique<settings_ui::CSetting>(
        settings_ui::SheetHost{app, frame, registered, explanations, prompter, dialogs,
                               [this] { ++redraws; }, [this] { ++placements; }});
    return *sheet;
  }
};

// The control of `parent` with that object name; the test ends when there is none.
template <class W>
W& child(QWidget& parent, const char* name) {
  W* w = parent.findChild<W*>(QString::fromLatin1(name));
  if (w == nullptr) qFatal("no child %s", name);
  return *w;
}

// UTF-16 LE with a byte-order mark, as the table files are written.
inline std::string utf16File(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

// Runs `act` on the modal dialog of type D that the next step opens (then `act` must close it).
template <class D>
void whenModalOpens(std::function<void(D&)> act) {
  QTimer::singleShot(0, [act] {
    if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) act(*dialog);
  });
}

}  // namespace vellary::testing
