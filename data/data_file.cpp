#include "data_file.h"

#include "data_file_append.h"
#include "data_file_read.h"
#include "data_folder.h"
#include "jusho_line.h"
#include "jusho_parser.h"

#include <memory>

LoadResult LoadJushoTable(JushoTable &table, const QString &path) {
    const FileBytes file = readDataFile(path);
    if (file.error)
        return {0, file.error};
    return parseJushoTable(table, file.bytes, path);
}

std::optional<DataError> AppendJushoRecord(const JushoRecord &record, const QString &path,
                                           FolderCreation folders) {
    auto line = formatJushoLine(record, path);
    if (auto *refused = std::get_if<DataError>(&line))
        return *refused;
    QByteArray &bytes = std::get<QByteArray>(line);

    if (auto error = ensureDataFolder(path, folders))
        return error;

    // The file is appended to only if it loads as it is and has room for one more record.
    const FileBytes existing = readDataFile(path);
    if (existing.error) {
        if (existing.error->kind != DataError::Kind::FileMissing)
            return existing.error;
    } else {
        auto scratch = std::make_unique<JushoTable>();
        const LoadResult loaded = parseJushoTable(*scratch, existing.bytes, path);
        if (!loaded.ok() && loaded.error->kind == DataError::Kind::TooManyRecords)
            return DataError{DataError::Kind::AddressBookFull, path};
        if (!loaded.ok()) {
            DataError broken = *loaded.error;
            broken.kind = DataError::Kind::ExistingFileBroken;
            broken.detail = loaded.error->message();
            return broken;
        }
        if (loaded.count >= JushoTable::kCapacity)
            return DataError{DataError::Kind::AddressBookFull, path};
        // A hand-edited file may lack the last line end; the new record needs its own line.
        if (!existing.bytes.isEmpty() && !existing.bytes.endsWith('\n'))
            bytes.prepend("\r\n");
    }
    return appendAllOrNothing(path, bytes);
}
