#include "jusho_readout.h"

#include "jusho_record.h"

QStringList namesToAppend(const JushoTable &table, int itemCount, qint16 count) {
    QStringList names;
    for (int row = itemCount; row <= count; ++row) {
        if (!JushoTable::contains(static_cast<qint16>(row), Shimei))
            break;
        names.append(table.cell(static_cast<qint16>(row), Shimei));
    }
    return names;
}

std::optional<QString> detailsText(const JushoTable &table, qint16 row) {
    QString text;
    for (qint16 field = Jusho; field <= Hosoku; ++field) {
        if (!JushoTable::contains(row, field))
            return std::nullopt;
        text += table.cell(row, field);
        text += QLatin1String("\r\n");
    }
    return text;
}
