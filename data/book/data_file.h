#pragma once

#include "data_error.h"
#include "data_file_io.h"
#include "data_file_location.h"
#include "jusho_record.h"
#include "jusho_table.h"
#include "load_result.h"

#include <QFlags>
#include <QString>

#include <optional>

// Reads the data file into rows 1 to n of the table, n being every whole record before
// the point where reading stopped, if it stopped early. Rows above n keep what an earlier,
// longer load put there. The file is always closed, and its bytes are never changed.
[[nodiscard]] LoadResult LoadJushoTable(JushoTable &table, const DataFileLocation &location);

// What an append may do besides adding at the end of the file, once the user has agreed.
enum class Repair {
    SetAsideCutOff = 1,    // a cut-off last record moves to a file of its own first
    ConvertToShiftJis = 2, // a book saved as UTF-8 is set aside and written anew in Shift-JIS
};
Q_DECLARE_FLAGS(Repairs, Repair)
Q_DECLARE_OPERATORS_FOR_FLAGS(Repairs)

// The repair that a refused append asks the user about, if it asks about one.
std::optional<Repair> repairAskedFor(const DataError &error);

// Appends the record as one line, or leaves the file byte for byte as it was and says why.
// Success is reported only once the line has reached the disk.
[[nodiscard]] AppendResult AppendJushoRecord(const JushoRecord &record,
                                             const DataFileLocation &location,
                                             Repairs agreed = {});
