#pragma once

#include <QString>

#include <array>

// Column numbers of a record: the order of the fields in a line of the data file
// and the column of each field in JushoTable.
enum JushoField : qint16 {
    Shimei = 0, // name, the only field shown in the name list
    Jusho = 1,  // postal address
    Phone0 = 2, // contact entries: kind, ";", value
    Phone1 = 3,
    Phone2 = 4,
    Phone3 = 5,
    Kankei = 6, // category
    Hosoku = 7, // notes
};

inline constexpr qint16 kJushoFieldCount = 8;

// One person: always all eight fields, in column order.
using JushoRecord = std::array<QString, kJushoFieldCount>;

// A contact entry is the kind and the value joined by one ";", even when both are empty.
inline QString contactEntry(const QString &kind, const QString &value) {
    return kind + QLatin1Char(';') + value;
}
