#pragma once

#include "data_error.h"
#include "jusho_record.h"
#include "jusho_table.h"

#include <QString>

#include <optional>

struct LoadResult {
    qint16 count = 0;               // JushoCount: rows 1 to count were filled
    std::optional<DataError> error; // set when the load stopped early

    bool ok() const { return !error.has_value(); }
};

// Reads the whole data file into rows 1 to n of the table and returns n. Rows above n
// keep what an earlier, longer load put there. On failure, rows already stored keep
// their new contents and the error says where reading stopped. The file is always closed.
LoadResult LoadJushoTable(JushoTable &table, const QString &path);

enum class FolderCreation {
    MustExist,       // the folder is not the program's own: never create it
    CreateOwnFolder, // the per-user data folder is the program's own: create it (0700)
};

// Appends the record as one line, or leaves the file byte for byte as it was and says why.
// Success is reported only once the line has reached the disk.
std::optional<DataError> AppendJushoRecord(const JushoRecord &record, const QString &path,
                                           FolderCreation folders = FolderCreation::MustExist);
