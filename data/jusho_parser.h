#pragma once

#include "data_file.h"

#include <QByteArrayView>
#include <QString>

// Fills rows 1 to n of the table from the bytes of a data file and returns n; on failure
// the count is the number of whole records stored. The path only names the file in errors.
LoadResult parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path);
