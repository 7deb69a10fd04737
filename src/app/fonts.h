// The font names the settings hold are those of the platform the documents come from ("ＭＳ 明朝",
// "@ＭＳ 明朝", "Century", …). They are kept as stored; this table tells the font system which
// installed faces stand in for each, so that a QFont made from a stored name finds a real face.
#pragma once

#include <QString>
#include <QStringList>

namespace vellary::app {

// The installed faces tried for a stored name, best first; empty for a name not in the table.
QStringList fontSubstitutes(const QString& storedName);
// A stored name as a face name: the leading "@" of a vertical font dropped (vertical forms come
// from the layout, not from a separate face).
QString faceOfStoredName(const QString& storedName);
// Registers the table with the font system; once at start-up.
void installFontSubstitutions();

}  // namespace vellary::app
