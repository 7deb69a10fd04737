// Fuzzes the settings file reader (.sew and the store's own form): any bytes give a document, and
// what an import takes in writes a per-user store that reads back to the same settings.
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "appcore/settings.h"
#include "appcore/settings_store.h"

using namespace vellary;

namespace {

// The exported keys of the settings, as bytes: two sets of settings are equal when these are.
std::string exported(const appcore::AppSettings& app, const appcore::FrameSettings& frame) {
  appcore::IniSettingsStore out("", appcore::TextEncoding::Utf8, false);
  appcore::exportSettings(out, app, frame);
  return out.bytes();
}

class SilentPrompter : public appcore::Prompter {
 public:
  appcore::Answer ask(std::string_view, std::string_view, appcore::Buttons,
                      appcore::Answer defaultAnswer, appcore::Icon) override {
    return defaultAnswer;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // The store's own form reads any bytes, and what it writes reads back to the same bytes.
  appcore::IniSettingsStore store("", appcore::TextEncoding::Utf8, true);
  store.loadBytes(bytes);
  const std::string once = store.bytes();
  appcore::IniSettingsStore again("", appcore::TextEncoding::Utf8, true);
  again.loadBytes(once);
  FUZZ_REQUIRE(again.bytes() == once);

  // A settings file: imported unless an imported value lost bytes in decoding.
  appcore::IniSettingsStore sew("", appcore::TextEncoding::Cp932, false);
  sew.loadBytes(bytes);
  FUZZ_REQUIRE(sew.bytes().size() < (size_t{1} << 26));
  if (appcore::undecodableImportedKey(sew)) return 0;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  appcore::importSettings(sew, app, frame);

  // What closing the main window writes, read back as the next start reads it.
  appcore::IniSettingsStore user("", appcore::TextEncoding::Utf8, true);
  appcore::writeAllSettings(user, app, frame, appcore::WindowSettings{});
  appcore::IniSettingsStore next("", appcore::TextEncoding::Utf8, true);
  next.loadBytes(user.bytes());
  SilentPrompter prompter;
  appcore::AppSettings app2;
  appcore::FrameSettings frame2;
  FUZZ_REQUIRE(appcore::readAppSettings(next, prompter, app2));
  appcore::readFrameSettings(next, frame2);
  // Set to 0 at every start whatever is stored; shown, not kept in the store.
  frame2.reAnalyze = frame.reAnalyze;
  frame2.pdfCreator = frame.pdfCreator;
  frame2.pdfProducer = frame.pdfProducer;
  FUZZ_REQUIRE(exported(app2, frame2) == exported(app, frame));

  // The settings file the import would write again reads back to the same settings.
  appcore::IniSettingsStore file("", appcore::TextEncoding::Cp932, false);
  appcore::exportSettings(file, app, frame);
  appcore::IniSettingsStore reread("", appcore::TextEncoding::Cp932, false);
  reread.loadBytes(file.bytes());
  FUZZ_REQUIRE(!appcore::undecodableImportedKey(reread));
  appcore::AppSettings app3 = app;
  appcore::FrameSettings frame3 = frame;
  appcore::importSettings(reread, app3, frame3);
  FUZZ_REQUIRE(exported(app3, frame3) == exported(app, frame));
  return 0;
}
