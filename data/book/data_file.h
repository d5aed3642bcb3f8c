#pragma once

#include "append_plan.h"
#include "data_error.h"
#include "data_file_io.h"
#include "data_file_location.h"
#include "jusho_record.h"
#include "jusho_table.h"
#include "result.h"

// Reads the data file into rows 1 to n of the table and returns n (JushoCount): every whole
// record before the point where reading stopped, if it stopped early, which its warnings then
// say (as they say that bytes were not text, or that the book was saved as UTF-8). Rows above
// n keep what an earlier, longer load put there. The file is always closed, and nothing on
// the disk is changed.
[[nodiscard]] Result<qint16> LoadJushoTable(JushoTable &table, const DataFileLocation &location);

// Appends the record as one line, or leaves the file byte for byte as it was and says why.
// Success is reported only once the line has reached the disk. What the user agreed to, when
// asked (repairAskedFor()), is done first.
[[nodiscard]] AppendResult AppendJushoRecord(const JushoRecord &record,
                                             const DataFileLocation &location, Repairs agreed = {});
