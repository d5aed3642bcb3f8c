#pragma once

#include "jusho_table.h"
#include "load_result.h"

#include <QByteArrayView>
#include <QString>

struct ParsedFile {
    LoadResult loaded;
    qsizetype wholeRecordsEnd = 0; // bytes up to the end of the last whole record
};

// Fills rows 1 to n of the table from the bytes of a data file and returns n: every whole
// record before the point where reading stopped. The path only names the file in errors.
ParsedFile parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path);

// Finds the whole records and where reading stops, as parseJushoTable() does, without
// decoding any field: enough to judge whether one more record can be appended.
ParsedFile scanJushoFile(QByteArrayView bytes, const QString &path);
