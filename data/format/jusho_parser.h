#pragma once

#include "book_encoding.h"
#include "jusho_table.h"
#include "load_result.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

struct ParsedFile {
    LoadResult loaded;
    qsizetype wholeRecordsEnd = 0; // bytes up to the end of the last whole record
};

// Fills rows 1 to n of the table from the bytes of a data file and returns n: every whole
// record before the point where reading stopped. The path only names the file in errors. A
// book saved again as UTF-8 is read as UTF-8, and the result says so.
ParsedFile parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path);
// The same, read in the encoding given.
ParsedFile parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path,
                           BookEncoding encoding);

// Finds the whole records and where reading stops, as parseJushoTable() does, without
// decoding any field: enough to judge whether one more record can be appended.
ParsedFile scanJushoFile(QByteArrayView bytes, const QString &path);

// Each field of each whole record, in file order, as it stands in the bytes.
void forEachField(QByteArrayView bytes,
                  const std::function<void(qint16 record, qint16 field, QByteArrayView raw)> &visit);
