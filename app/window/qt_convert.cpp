#include "app/window/qt_convert.h"

#include <QFont>

#include "text/codec.h"

namespace qinghe {

QString to_qstring(TextView text) {
    const std::u16string units = decode(text);
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

Text from_qstring(const QString& string) {
    return encode(
        std::u16string_view(reinterpret_cast<const char16_t*>(string.utf16()), static_cast<size_t>(string.size())));
}

QString to_document_text(TextView text) {
    QString string = to_qstring(text);
    string.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    string.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return string;
}

QColor to_qcolor(Colour colour) { return QColor(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF); }

QTextCharFormat to_qt_format(const CharFormat& format) {
    QTextCharFormat qt_format;
    qt_format.setFontFamilies({to_qstring(format.face)});
    qt_format.setFontPointSize(format.size_twips / 20.0);
    qt_format.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    qt_format.setFontItalic(format.italic);
    qt_format.setFontUnderline(format.underline);
    qt_format.setFontStrikeOut(format.strike_out);
    qt_format.setVerticalAlignment(QTextCharFormat::AlignNormal);
    qt_format.setForeground(to_qcolor(format.colour));
    return qt_format;
}

}  // namespace qinghe
