#include "data_file.h"

#include "book_encoding.h"
#include "data_file_size.h"
#include "jusho_line.h"
#include "jusho_parser.h"
#include "shift_jis.h"
#include "user_copy.h"

#include <algorithm>

LoadResult LoadJushoTable(JushoTable &table, const DataFileLocation &location) {
    const auto used = fileToUse(location, DataFolder::Access::Read);
    if (!used.ok())
        return {.error = used.error()};
    const auto file = readDataFile(used.value());
    if (!file.ok())
        return {.error = file.error()};
    return parseJushoTable(table, file.value(), used.value().path).loaded;
}

std::optional<Repair> repairAskedFor(const DataError &error) {
    switch (error.kind) {
    case DataError::Kind::LastRecordIncomplete:
        return Repair::SetAsideCutOff;
    case DataError::Kind::Utf8BookNotConverted:
        return Repair::ConvertToShiftJis;
    default:
        return std::nullopt;
    }
}

namespace {

using Kind = DataError::Kind;

// Whether what follows the whole records is a record cut off, which may be set aside: it
// starts as a record does, or is only blank lines. Anything else is no address book's end.
bool cutOffRecord(QByteArrayView tail) {
    return tail.startsWith('"') ||
           std::all_of(tail.begin(), tail.end(), [](char c) { return c == '\r' || c == '\n'; });
}

// Whether and how the line joins the Shift-JIS file as it stands. Every record this program
// writes starts with a double quote: a file that does not, like a system file's lines, is no
// address book to add to.
Result<AppendPlan> planAppend(QByteArray line, QByteArrayView existing, const QString &path,
                              Repairs agreed) {
    if (!existing.isEmpty() && !existing.startsWith('"'))
        return DataError{.kind = Kind::NotAnAddressBook, .path = path, .record = 1};
    const ParsedFile parsed = scanJushoFile(existing, path);
    const std::optional<DataError> &stop = parsed.loaded.stop;
    if ((stop && stop->kind == Kind::TooManyRecords) ||
        parsed.loaded.count >= JushoTable::kCapacity)
        return DataError{.kind = Kind::AddressBookFull, .path = path};

    qsizetype keep = existing.size();
    if (stop) { // the file ends inside a record: what follows the whole ones
        const QByteArrayView tail = existing.sliced(parsed.wholeRecordsEnd);
        if (!cutOffRecord(tail))
            return DataError{.kind = Kind::NotAnAddressBook, .path = path, .record = stop->record};
        if (!agreed.testFlag(Repair::SetAsideCutOff))
            return DataError{.kind = Kind::LastRecordIncomplete,
                             .path = path,
                             .record = stop->record,
                             .field = stop->field,
                             .bytes = tail.size()};
        keep = parsed.wholeRecordsEnd;
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
    ShiftJis::Encoded book = ShiftJis::encode(textOfUtf8(bytes));
    if (book.ok())
        return std::move(book.bytes);
    DataError refused{.kind = Kind::CannotConvertBook, .path = path, .character = *book.refused};
    forEachField(bytes, [&](qint16 record, qint16 field, QByteArrayView raw) {
        const ShiftJis::Encoded encoded = ShiftJis::encode(textOfUtf8(raw));
        if (!encoded.ok() && refused.record == 0) {
            refused.record = record;
            refused.field = field;
            refused.character = *encoded.refused;
        }
    });
    return refused;
}

// A book saved as UTF-8 is written anew in Shift-JIS with the line, once the user agrees, and
// set aside whole; a Shift-JIS book gets the line at its end.
Result<AppendPlan> planFor(const QByteArray &line, QByteArrayView existing, const QString &path,
                           Repairs agreed) {
    if (encodingOf(existing) == BookEncoding::ShiftJis)
        return planAppend(line, existing, path, agreed);
    // Whatever would refuse the append is told before the question is asked.
    const auto converted = shiftJisFromUtf8(existing, path);
    if (!converted.ok())
        return converted.error();
    const auto plan = planAppend(line, converted.value(), path, agreed);
    if (!plan.ok())
        return plan;
    if (!agreed.testFlag(Repair::ConvertToShiftJis))
        return DataError{.kind = Kind::Utf8BookNotConverted, .path = path};
    return AppendPlan{converted.value().first(plan.value().keep) + plan.value().bytes, 0, true};
}

} // namespace

AppendResult AppendJushoRecord(const JushoRecord &record, const DataFileLocation &location,
                               Repairs agreed) {
    const auto line = formatJushoLine(record, location.path);
    if (!line.ok())
        return line.error();
    const auto used = fileToUse(location, DataFolder::Access::Append);
    if (!used.ok())
        return used.error();
    return appendToDataFile(used.value(), [&](QByteArrayView existing) {
        return planFor(line.value(), existing, used.value().path, agreed);
    });
}
