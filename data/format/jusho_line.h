#pragma once

#include "jusho_record.h"
#include "result.h"

#include <QByteArray>
#include <QString>

// The record as one line of the data file: eight quoted fields, commas, CR LF. A record
// the file cannot hold as written (a quote, a character outside Shift-JIS) is refused.
[[nodiscard]] Result<QByteArray> formatJushoLine(const JushoRecord &record, const QString &path);
