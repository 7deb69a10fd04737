// Runs every settings sheet test class in one program on the offscreen platform.
#include <QApplication>

int runSheetTests(int argc, char** argv);
int runTablePageTests(int argc, char** argv);
int runDialogTests(int argc, char** argv);
int runSettingsFileTests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failed = 0;
  failed |= runSheetTests(argc, argv);
  failed |= runTablePageTests(argc, argv);
  failed |= runDialogTests(argc, argv);
  failed |= runSettingsFileTests(argc, argv);
  return failed;
}
