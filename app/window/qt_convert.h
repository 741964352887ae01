#pragma once
// Conversions between the window interface's values and Qt's: program text, colours and
// character formats. Line breaks are CR LF in program text and block separators in Qt's
// text documents.
#include <QColor>
#include <QString>
#include <QTextCharFormat>

#include "controls/window.h"
#include "text/text.h"

namespace qinghe {

QString to_qstring(TextView text);
Text from_qstring(const QString& string);

// For multi-line widgets: CR LF (and a lone CR or LF, which a document cannot hold
// apart from a line break) becomes "\n", which a document turns into a block separator.
QString to_document_text(TextView text);

QColor to_qcolor(Colour colour);

QTextCharFormat to_qt_format(const CharFormat& format);

}  // namespace qinghe
