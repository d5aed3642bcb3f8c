#pragma once

#include "jusho_record.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// What must hold for any input to the data file's reader and line writer. Each check
// returns a description of the first broken rule, or nothing, for the fuzz targets.
namespace JushoInvariants {

// Loads the bytes into a table filled with other text, and checks the count, where reading
// stopped, the rows left alone, and the rows read against a second reading of the same rules.
// (What loads also writes back as it reads: checkLine() holds for any text.)
std::optional<QString> checkLoad(QByteArrayView bytes);

// Formats the record as a line: either the line reads back as the same eight fields, or
// the refusal names a field and a character that the file really cannot hold.
std::optional<QString> checkLine(const JushoRecord &record);

// The check of the fuzz target named, "load" or "line", on its input: a line's record comes
// as UTF-16 code units, fields separated by U+FFFF.
std::optional<QString> check(QByteArrayView target, QByteArrayView input);

} // namespace JushoInvariants
