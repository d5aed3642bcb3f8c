#pragma once

#include "data_error.h"

#include <QString>

// The reason behind an operating system error code, in Japanese where it is a common one.
QString systemErrorText(int code);

// A failure of the given kind at the path, for the reason the error code gives.
inline DataError systemFailure(DataError::Kind kind, const QString &path, int code) {
    return DataError{.kind = kind, .path = path, .detail = systemErrorText(code)};
}
