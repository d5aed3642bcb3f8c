#include "data_file.h"

#include "data_file_size.h"
#include "jusho_line.h"
#include "jusho_parser.h"

LoadResult LoadJushoTable(JushoTable &table, const DataFileLocation &location) {
    const auto file = readDataFile(location);
    if (!file.ok())
        return {.error = file.error()};
    return parseJushoTable(table, file.value(), location.path).loaded;
}

namespace {

// Whether and how the line joins the file as it stands.
Result<AppendPlan> planAppend(QByteArray line, QByteArrayView existing, const QString &path,
                              IncompleteRecord incomplete) {
    using Kind = DataError::Kind;
    const ParsedFile parsed = scanJushoFile(existing, path);
    const std::optional<DataError> &stop = parsed.loaded.stop;
    if ((stop && stop->kind == Kind::TooManyRecords) ||
        parsed.loaded.count >= JushoTable::kCapacity)
        return DataError{.kind = Kind::AddressBookFull, .path = path};

    qsizetype keep = existing.size();
    if (stop) { // the file ends inside a record: what follows the whole ones
        const qsizetype cutOff = existing.size() - parsed.wholeRecordsEnd;
        if (incomplete == IncompleteRecord::Refuse)
            return DataError{.kind = Kind::LastRecordIncomplete,
                             .path = path,
                             .record = stop->record,
                             .field = stop->field,
                             .bytes = cutOff};
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

} // namespace

AppendResult AppendJushoRecord(const JushoRecord &record, const DataFileLocation &location,
                               IncompleteRecord incomplete) {
    const auto line = formatJushoLine(record, location.path);
    if (!line.ok())
        return line.error();
    return appendToDataFile(location, [&](QByteArrayView existing) {
        return planAppend(line.value(), existing, location.path, incomplete);
    });
}
