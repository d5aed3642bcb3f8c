#include "jusho_fields.h"

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
