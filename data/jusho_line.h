#pragma once

#include "data_file.h"

#include <QByteArray>

#include <variant>

// The record as one line of the data file: eight quoted fields, commas, CR LF. A record
// the file cannot hold as written (a quote, a character outside Shift-JIS) is refused.
std::variant<QByteArray, DataError> formatJushoLine(const JushoRecord &record, const QString &path);
