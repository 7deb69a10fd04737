// Runs every view test class in one program on the offscreen platform.
#include <QApplication>
#include <QTest>

int runPageListTests(int argc, char** argv);
int runImageViewTests(int argc, char** argv);
int runPictureTests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failed = 0;
  failed |= runPageListTests(argc, argv);
  failed |= runImageViewTests(argc, argv);
  failed |= runPictureTests(argc, argv);
  return failed;
}
