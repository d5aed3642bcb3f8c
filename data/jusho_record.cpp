#include "jusho_record.h"

QString jushoFieldName(qint16 field) {
    switch (field) {
    case Shimei:
        return JushoLabel::Name.toString();
    case Jusho:
        return JushoLabel::Address.toString();
    case Phone0:
    case Phone1:
    case Phone2:
    case Phone3:
        return JushoLabel::Contacts.toString() + QString::number(field - Phone0 + 1);
    case Kankei:
        return JushoLabel::Category.toString();
    case Hosoku:
        return JushoLabel::Notes.toString();
    default:
        return QStringLiteral("欄%1").arg(field + 1);
    }
}

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

QString withShownLineBreaks(QString field) {
    field.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    field.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return field;
}
