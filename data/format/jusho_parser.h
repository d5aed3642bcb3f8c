#pragma once

#include "book_encoding.h"
#include "jusho_table.h"
#include "result.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

// Fills rows 1 to n of the table from the bytes of a data file and returns n: every whole
// record before the point where reading stopped. Its warnings say where and why reading
// stopped early (more than 100 records, a record cut short), the first field showing
// substitutes for bytes that are not text, and that the book was saved as UTF-8 (read as
// such). Rows above n keep what they held. The path only names the file in messages.
Result<qint16> parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path);
// The same, read in the encoding given.
Result<qint16> parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path,
                               BookEncoding encoding);

// The whole records of a file, and where they end.
struct FileShape {
    qint16 count = 0;
    qsizetype wholeRecordsEnd = 0; // bytes up to the end of the last whole record
};

// Finds the whole records and where reading stops (its one warning), as parseJushoTable()
// does, without decoding any field: enough to judge whether one more record can be appended.
Result<FileShape> scanJushoFile(QByteArrayView bytes, const QString &path);

// Each field of each whole record, in file order, as it stands in the bytes.
void forEachField(
    QByteArrayView bytes,
    const std::function<void(qint16 record, qint16 field, QByteArrayView raw)> &visit);
