#include "append_plan.h"

#include "book_encoding.h"
#include "data_file_size.h"
#include "jusho_parser.h"
#include "shift_jis.h"

#include <algorithm>

namespace {

using Kind = DataError::Kind;

// Whether what follows the whole records is a record cut off, which may be set aside: it
// starts as a record does, or is only blank lines. Anything else is no address book's end.
bool cutOffRecord(QByteArrayView tail) {
    return tail.startsWith('"') ||
           std::all_of(tail.begin(), tail.end(), [](char c) { return c == '\r' || c == '\n'; });
}

// The plan for a Shift-JIS book. Every record this program writes starts with a double quote:
// a file that does not, like a system file's lines, is no address book to add to.
Result<AppendPlan> planShiftJis(QByteArray line, QByteArrayView existing, const QString &path,
                                Repairs agreed) {
    if (!existing.isEmpty() && !existing.startsWith('"'))
        return DataError{.kind = Kind::NotAnAddressBook, .path = path, .record = 1};
    const Result<FileShape> shape = scanJushoFile(existing, path);
    if (shape.warning(Kind::TooManyRecords) || shape.value().count >= JushoTable::kCapacity)
        return DataError{.kind = Kind::AddressBookFull, .path = path};

    qsizetype keep = existing.size();
    if (const auto stop = shape.warning(Kind::RecordCutShort)) { // what follows the whole ones
        const QByteArrayView tail = existing.sliced(shape.value().wholeRecordsEnd);
        if (!cutOffRecord(tail))
            return DataError{.kind = Kind::NotAnAddressBook, .path = path, .record = stop->record};
        if (!agreed.testFlag(Repair::SetAsideCutOff))
            return DataError{.kind = Kind::LastRecordIncomplete,
                             .path = path,
                             .record = stop->record,
                             .field = stop->field,
                             .bytes = tail.size()};
        keep = shape.value().wholeRecordsEnd;
    }
    // A hand-edited file may lack the last line end; the new record needs a line of its own.
    // After a comma the reader already expects the next record.
    if (keep > 0 && existing[keep - 1] != '\n' && existing[keep - 1] != ',')
        line.prepend("\r\n");
    if (keep + line.size() > kMaxDataFileBytes)
        return DataError{.kind = Kind::NoRoomForRecord, .path = path};
    return AppendPlan{std::move(line), keep};
}

// The book in Shift-JIS, or the first record, field and character that Shift-JIS cannot hold.
Result<QByteArray> shiftJisFromUtf8(QByteArrayView utf8, const QString &path) {
    const QByteArrayView bytes = withoutByteOrderMark(utf8);
    Result<QByteArray> book = ShiftJis::encode(textOfUtf8(bytes));
    if (book.ok())
        return book;
    DataError refused = book.error();
    refused.kind = Kind::CannotConvertBook;
    refused.path = path;
    forEachField(bytes, [&](qint16 record, qint16 field, QByteArrayView raw) {
        if (refused.record != 0)
            return; // the first is named
        const auto encoded = ShiftJis::encode(textOfUtf8(raw));
        if (!encoded.ok()) {
            refused.record = record;
            refused.field = field;
            refused.character = encoded.error().character;
        }
    });
    return refused;
}

} // namespace

std::optional<Repair> repairAskedFor(const DataError &error) {
    switch (error.kind) {
    case Kind::LastRecordIncomplete:
        return Repair::SetAsideCutOff;
    case Kind::Utf8BookNotConverted:
        return Repair::ConvertToShiftJis;
    default:
        return std::nullopt;
    }
}

Result<AppendPlan> planAppend(const QByteArray &line, QByteArrayView existing, const QString &path,
                              Repairs agreed) {
    if (encodingOf(existing) == BookEncoding::ShiftJis)
        return planShiftJis(line, existing, path, agreed);
    auto converted = shiftJisFromUtf8(existing, path);
    if (!converted.ok())
        return converted.error();
    const auto plan = planShiftJis(line, converted.value(), path, agreed);
    if (!plan.ok())
        return plan;
    if (!agreed.testFlag(Repair::ConvertToShiftJis))
        return DataError{.kind = Kind::Utf8BookNotConverted, .path = path};
    QByteArray book = std::move(converted.value()); // cut and extended in place, not copied
    book.truncate(plan.value().keep);
    book += plan.value().bytes;
    return AppendPlan{std::move(book), 0, true};
}
