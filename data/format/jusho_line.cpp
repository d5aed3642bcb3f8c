#include "jusho_line.h"

#include "shift_jis.h"

Result<QByteArray> formatJushoLine(const JushoRecord &record, const QString &path) {
    QByteArray line;
    for (qint16 field = 0; field < kJushoFieldCount; ++field) {
        const QString &text = record[field];
        // Nothing is escaped in the file, so a quote would end the field early on reading.
        if (text.contains(QLatin1Char('"')))
            return DataError{.kind = DataError::Kind::QuoteInField,
                             .path = path,
                             .field = field,
                             .character = U'"'};
        const auto encoded = ShiftJis::encode(text);
        if (!encoded.ok()) {
            DataError refused = encoded.error();
            refused.path = path;
            refused.field = field;
            return refused;
        }
        if (field > 0)
            line += ',';
        line += '"';
        line += encoded.value();
        line += '"';
    }
    line += "\r\n";
    return line;
}
