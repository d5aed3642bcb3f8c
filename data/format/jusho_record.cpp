#include "jusho_record.h"

QString withFileLineBreaks(const QString &shown) {
    QString converted;
    converted.reserve(shown.size() + shown.count(QLatin1Char('\n')));
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown.at(i);
        if (c == QLatin1Char('\n') && (i == 0 || shown.at(i - 1) != QLatin1Char('\r')))
            converted += QLatin1Char('\r');
        converted += c;
    }
    return converted;
}
