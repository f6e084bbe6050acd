#include "convert.h"

namespace tarvik {

std::optional<qint32> StrToInt(const QString& text) {
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.startsWith(u'-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty() || !t.at(0).isLetterOrNumber()) return std::nullopt;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, base);
    if (!ok) return std::nullopt;
    const qint64 value = negative ? -v : v;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return qint32(value);
}

QString NotAnIntegerMessage(const QString& text) {
    return QStringLiteral("«%1» не является допустимым целым числом").arg(text);
}

} // namespace tarvik
