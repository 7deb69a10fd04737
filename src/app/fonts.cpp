// The substitution table for the stored font names.
#include "app/fonts.h"

#include <QFont>
#include <utility>

namespace vellary::app {

namespace {

const QStringList kMincho{"IPAMincho", "IPA明朝", "Noto Serif CJK JP", "IPAPMincho",
                          "DejaVu Serif"};
const QStringList kGothic{"IPAGothic", "IPAゴシック", "Noto Sans CJK JP", "DejaVu Sans"};
const QStringList kPGothic{"IPAPGothic", "IPA Pゴシック", "Noto Sans CJK JP", "IPAGothic",
                           "DejaVu Sans"};
const QStringList kPMincho{"IPAPMincho", "IPA P明朝", "Noto Serif CJK JP", "IPAMincho"};
const QStringList kSerif{"Liberation Serif", "DejaVu Serif", "Nimbus Roman"};
const QStringList kSans{"Liberation Sans", "DejaVu Sans", "Nimbus Sans"};
const QStringList kUnicodeSans{"Noto Sans CJK JP", "DejaVu Sans", "IPAGothic"};

const std::pair<const char*, const QStringList*> kTable[] = {
    {"ＭＳ 明朝", &kMincho},
    {"MS Mincho", &kMincho},
    {"ＭＳ Ｐ明朝", &kPMincho},
    {"MS PMincho", &kPMincho},
    {"ＭＳ ゴシック", &kGothic},
    {"MS Gothic", &kGothic},
    {"ＭＳ Ｐゴシック", &kPGothic},
    {"MS Pゴシック", &kPGothic},
    {"MS PGothic", &kPGothic},
    {"Century", &kSerif},
    {"Times New Roman", &kSerif},
    {"Arial", &kSans},
    {"Arial Unicode MS", &kUnicodeSans},
};

}  // namespace

QString faceOfStoredName(const QString& storedName) {
  return storedName.startsWith(u'@') ? storedName.mid(1) : storedName;
}

QStringList fontSubstitutes(const QString& storedName) {
  const QString face = faceOfStoredName(storedName);
  for (const auto& [name, faces] : kTable)
    if (face == QString::fromUtf8(name)) return *faces;
  return {};
}

void installFontSubstitutions() {
  for (const auto& [name, faces] : kTable)
    QFont::insertSubstitutions(QString::fromUtf8(name), *faces);
}

}  // namespace vellary::app
