#pragma once

#include "jusho_record.h"

#include <QString>

#include <array>

// The record that Add appends, from the window's texts as they stand. Nothing is trimmed or
// checked; only the notes' line breaks are converted.
JushoRecord gatherRecord(const QString &name, const QString &address,
                         const std::array<QString, kContactRows> &kinds,
                         const std::array<QString, kContactRows> &values, const QString &category,
                         const QString &notes);
