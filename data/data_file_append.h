#pragma once

#include "data_error.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// Adds the bytes at the end of the file (created owner-only, 0600, if missing) in a single
// write, or leaves the file as it was. Success means the bytes have reached the disk.
std::optional<DataError> appendAllOrNothing(const QString &path, QByteArrayView bytes);
