#include "app/qt_text.h"

#include "text/codec.h"

namespace qinghe {

QString to_qstring(TextView text) {
    const std::u16string units = decode(text);
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

Text from_qstring(const QString& string) {
    return encode(std::u16string_view(reinterpret_cast<const char16_t*>(string.utf16()),
                                      static_cast<size_t>(string.size())));
}

QString to_document_text(TextView text) {
    QString string = to_qstring(text);
    string.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    string.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return string;
}

}  // namespace qinghe
