#include "jusho_readout.h"

#include "jusho_record.h"

#include <QLocale>

// Text from the data file holds no surrogate pairs (Shift-JIS has no character beyond the
// Basic Multilingual Plane), so a cut by length never splits a character.

namespace {

QString shownName(QStringView name) {
    if (name.size() <= kShownNameLength)
        return name.toString();
    return name.first(kShownNameLength).toString() + QStringLiteral("…");
}

QString shownField(QStringView field) {
    if (field.size() <= kShownFieldLength)
        return field.toString();
    QString shown = field.first(kShownFieldLength).toString();
    if (shown.endsWith(QLatin1Char('\r'))) // never half a line break
        shown.chop(1);
    const QString left = QLocale(QLocale::Japanese).toString(field.size() - shown.size());
    return shown + QStringLiteral("…（以下 %1 文字を省略）").arg(left);
}

} // namespace

QStringList namesToAppend(const JushoTable &table, int itemCount, qint16 count) {
    QStringList names;
    for (int row = itemCount; row <= count; ++row) {
        if (!JushoTable::contains(static_cast<qint16>(row), Shimei))
            break;
        names.append(shownName(table.cell(static_cast<qint16>(row), Shimei)));
    }
    return names;
}

std::optional<QString> detailsText(const JushoTable &table, qint16 row) {
    QString text;
    for (qint16 field = Jusho; field <= Hosoku; ++field) {
        if (!JushoTable::contains(row, field))
            return std::nullopt;
        text += shownField(table.cell(row, field));
        text += QLatin1String("\r\n");
    }
    return text;
}
