// The common dialogs through Qt, and the filter conversion.
#include "settings_ui/standard_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QRegularExpression>

namespace vellary::settings_ui {

namespace {

std::optional<std::string> runFileDialog(QWidget* parent, const FileRequest& request, bool save) {
  QFileDialog dialog(parent, request.caption, QString(), qtFileFilter(request.filter));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace

QString qtFileFilter(const QString& filter) {
  QStringList parts = filter.split(u'|');
  while (!parts.isEmpty() && parts.back().isEmpty()) parts.removeLast();
  QStringList out;
  static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    description.remove(trailingPatterns);
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
    }
    out << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
  }
  return out.join(QStringLiteral(";;"));
}

std::optional<std::string> QtStandardDialogs::openFile(QWidget* parent,
                                                       const FileRequest& request) {
  return runFileDialog(parent, request, false);
}

std::optional<std::string> QtStandardDialogs::saveFile(QWidget* parent,
                                                       const FileRequest& request) {
  return runFileDialog(parent, request, true);
}

std::optional<QColor> QtStandardDialogs::colour(QWidget* parent, const QColor& initial,
                                                CustomColours& custom) {
  for (int i = 0; i < static_cast<int>(custom.size()); ++i)
    QColorDialog::setCustomColor(i, custom[static_cast<size_t>(i)]);
  const QColor chosen = QColorDialog::getColor(initial, parent);
  for (int i = 0; i < static_cast<int>(custom.size()); ++i)
    custom[static_cast<size_t>(i)] = QColorDialog::customColor(i);
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

std::optional<QFont> QtStandardDialogs::font(QWidget* parent, const QFont& initial) {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
  if (!ok) return std::nullopt;
  return chosen;
}

}  // namespace vellary::settings_ui
