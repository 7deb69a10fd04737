// The platform's common dialogs the settings pages open (files, colours, fonts), behind one seam
// so that tests can answer in their place.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <array>
#include <optional>
#include <string>

class QWidget;

namespace vellary::settings_ui {

// A file dialog's request. `filter` is written in the "description|patterns|…||" form the
// program's dialogs are described in; `defaultSuffix` (without the dot) is appended to a typed
// name that has no extension.
struct FileRequest {
  QString caption;
  QString filter;
  QString defaultSuffix;
};

// The colour dialog's sixteen custom colours: they are the sheet's user colours.
using CustomColours = std::array<QColor, 16>;

class StandardDialogs {
 public:
  virtual ~StandardDialogs() = default;
  // An existing file, or nothing when cancelled.
  virtual std::optional<std::string> openFile(QWidget* parent, const FileRequest& request) = 0;
  // A file name to write (an existing file has been confirmed), or nothing.
  virtual std::optional<std::string> saveFile(QWidget* parent, const FileRequest& request) = 0;
  // The chosen colour; `custom` goes in as the dialog's custom colours and comes back as the user
  // left them (also when cancelled).
  virtual std::optional<QColor> colour(QWidget* parent, const QColor& initial,
                                       CustomColours& custom) = 0;
  virtual std::optional<QFont> font(QWidget* parent, const QFont& initial) = 0;
};

// The real dialogs: QFileDialog, QColorDialog and QFontDialog.
class QtStandardDialogs : public StandardDialogs {
 public:
  std::optional<std::string> openFile(QWidget* parent, const FileRequest& request) override;
  std::optional<std::string> saveFile(QWidget* parent, const FileRequest& request) override;
  std::optional<QColor> colour(QWidget* parent, const QColor& initial,
                               CustomColours& custom) override;
  std::optional<QFont> font(QWidget* parent, const QFont& initial) override;
};

// "csv file (*.csv)|*.csv|All Files (*.*)|*.*||" as a Qt filter:
// "csv file (*.csv);;All Files (*)". Each description keeps its text, its patterns are the ones
// of the pair's second half, and "*.*" becomes "*" (a name without a dot matches it there).
QString qtFileFilter(const QString& filter);

}  // namespace vellary::settings_ui
