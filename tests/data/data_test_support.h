#pragma once

#include "data_file.h"

#include <QFile>
#include <QStringList>

inline QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

inline bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline JushoRecord jushoRecord(const QString &cellsByBar) {
    const QStringList cells = cellsByBar.split(QLatin1Char('|'));
    JushoRecord record;
    for (qsizetype i = 0; i < cells.size() && i < kJushoFieldCount; ++i)
        record[i] = cells[i];
    return record;
}

inline QString tableRow(const JushoTable &table, qint16 row) {
    QStringList cells;
    for (qint16 column = 0; column < kJushoFieldCount; ++column)
        cells << table.cell(row, column);
    return cells.join(QLatin1Char('|'));
}

inline QString numbered(int i) {
    return QStringLiteral("人%1|住所%1|自宅;%1|;|;|;|友人|").arg(i);
}

inline int kindOf(const std::optional<DataError> &error) {
    return error ? int(error->kind) : -1;
}
