#pragma once

#include "data_error.h"

#include <QString>

#include <optional>

// What a load of the data file did: rows 1 to count hold its whole records.
struct LoadResult {
    qint16 count = 0;                         // JushoCount
    std::optional<DataError> error = {};      // the file could not be read: nothing was loaded
    std::optional<DataError> stop = {};       // reading stopped before the end of the file
    std::optional<DataError> strayBytes = {}; // the first field that shows substitutes for bytes
    std::optional<DataError> savedAsUtf8 = {};  // the book was saved again as UTF-8

    bool complete() const { return !error && !stop; }

    // What the user should hear about a load that listed what it could; empty if all is well.
    QString warnings() const {
        QString text;
        for (const auto *problem : {&savedAsUtf8, &stop, &strayBytes}) {
            if (*problem)
                text +=
                    (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + (*problem)->message();
        }
        return text;
    }
};
