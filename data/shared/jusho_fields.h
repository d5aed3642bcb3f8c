#pragma once

#include <QString>
#include <QStringView>

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
inline constexpr int kContactRows = 4; // Phone0 to Phone3

// The names the user knows the fields by: the registration window's labels.
namespace JushoLabel {
inline constexpr QStringView Name = u"名前";
inline constexpr QStringView Address = u"住所";
inline constexpr QStringView Contacts = u"各アドレス";
inline constexpr QStringView Category = u"その関係";
inline constexpr QStringView Notes = u"補足情報";
} // namespace JushoLabel

// A field as messages name it: its label, and for a contact entry its row from 1
// ("各アドレス2" for Phone1).
QString jushoFieldName(qint16 field);
