#pragma once

#include "data_error.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct FileBytes {
    QByteArray bytes;
    std::optional<DataError> error;
};

// The whole content of the data file, read and closed again.
FileBytes readDataFile(const QString &path);
