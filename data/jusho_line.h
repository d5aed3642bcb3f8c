#pragma once

#include "data_error.h"
#include "jusho_record.h"

#include <QByteArray>
#include <QString>

#include <variant>

// The record as one line of the data file: eight quoted fields, commas, CR LF. A record
// the file cannot hold as written (a quote, a character outside Shift-JIS) is refused.
[[nodiscard]] std::variant<QByteArray, DataError> formatJushoLine(const JushoRecord &record,
                                                                  const QString &path);
