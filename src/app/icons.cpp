// Toolbar icons.
#include "app/icons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "app/commands.h"

namespace vellary::app {

namespace {

constexpr int kSize = 24;

// A page outline with the given panes filled: the arrangement icons.
QIcon panes(std::initializer_list<QRect> filled) {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawRect(2, 3, 19, 17);
  p.setBrush(QColor(0x4A, 0x78, 0xC8));
  for (const QRect& r : filled) p.drawRect(r);
  return QIcon(pm);
}

QIcon glyph(const QString& text, const QColor& colour) {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont font = QApplication::font();
  font.setPixelSize(16);
  font.setBold(true);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(pm.rect(), Qt::AlignCenter, text);
  return QIcon(pm);
}

QIcon themed(const char* name, QStyle::StandardPixmap fallback) {
  QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
  return icon.isNull() ? QApplication::style()->standardIcon(fallback) : icon;
}

}  // namespace

QIcon commandIcon(int id) {
  switch (id) {
    case IdFileOpen:
      return themed("document-open", QStyle::SP_DialogOpenButton);
    case IdFileSave:
      return themed("document-save", QStyle::SP_DialogSaveButton);
    case IdBlockEdit:
      return panes({QRect(5, 6, 6, 5), QRect(12, 12, 6, 5)});
    case IdCharEdit:
      return glyph(QStringLiteral("字"), Qt::black);
    case IdSideBySide:
      return panes({QRect(4, 5, 7, 13), QRect(12, 5, 7, 13)});
    case IdStacked:
      return panes({QRect(4, 5, 15, 6), QRect(4, 12, 15, 6)});
    case IdFullSize:
      return panes({QRect(4, 5, 15, 13)});
    case IdTextOnly:
      return glyph(QStringLiteral("T"), Qt::black);
    case IdLineImage:
      return glyph(QStringLiteral("1"), QColor(0x4A, 0x78, 0xC8));
    case IdImageBeside:
      return panes({QRect(12, 5, 7, 13)});
    case IdSettingsSheet:
      return themed("preferences-system", QStyle::SP_FileDialogDetailedView);
    case IdReComposeAll:
      return themed("view-refresh", QStyle::SP_BrowserReload);
    case IdReComposePage:
      return glyph(QStringLiteral("↻"), QColor(0x30, 0x90, 0x30));
    default:
      return {};
  }
}

}  // namespace vellary::app
