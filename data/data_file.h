#pragma once

#include "data_error.h"
#include "data_file_io.h"
#include "data_file_location.h"
#include "jusho_record.h"
#include "jusho_table.h"
#include "load_result.h"

#include <QString>

// Reads the data file into rows 1 to n of the table, n being every whole record before
// the point where reading stopped, if it stopped early. Rows above n keep what an earlier,
// longer load put there. The file is always closed, and its bytes are never changed.
[[nodiscard]] LoadResult LoadJushoTable(JushoTable &table, const DataFileLocation &location);

// What an append does with a data file whose last record was cut off.
enum class IncompleteRecord {
    Refuse,   // nothing changes; the error asks whether to set it aside
    SetAside, // its bytes move to a file of their own before the record is appended
};

// Appends the record as one line, or leaves the file byte for byte as it was and says why.
// Success is reported only once the line has reached the disk.
[[nodiscard]] AppendResult
AppendJushoRecord(const JushoRecord &record, const DataFileLocation &location,
                  IncompleteRecord incomplete = IncompleteRecord::Refuse);
