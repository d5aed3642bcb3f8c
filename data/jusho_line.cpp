#include "jusho_line.h"

#include "shift_jis.h"

std::variant<QByteArray, DataError> formatJushoLine(const JushoRecord &record,
                                                    const QString &path) {
    QByteArray line;
    for (qint16 field = 0; field < kJushoFieldCount; ++field) {
        const QString &text = record[field];
        // Nothing is escaped in the file, so a quote would end the field early on reading.
        if (text.contains(QLatin1Char('"')))
            return DataError{DataError::Kind::QuoteInField, path, 0, field, U'"'};
        const ShiftJis::Encoded encoded = ShiftJis::encode(text);
        if (!encoded.ok())
            return DataError{DataError::Kind::CannotEncode, path, 0, field, *encoded.refused};
        if (field > 0)
            line += ',';
        line += '"';
        line += encoded.bytes;
        line += '"';
    }
    line += "\r\n";
    return line;
}
