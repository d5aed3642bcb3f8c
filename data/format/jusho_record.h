#pragma once

#include "jusho_fields.h"

#include <QString>

#include <array>

// One person: always all eight fields, in column order.
using JushoRecord = std::array<QString, kJushoFieldCount>;

// A contact entry is the kind and the value joined by one ";", even when both are empty.
inline QString contactEntry(const QString &kind, const QString &value) {
    return kind + QLatin1Char(';') + value;
}

// Line breaks inside a field are CR LF in the data file and line feeds in a text box.
// Every lone LF becomes CR LF; a CR LF already there stays. (A text box shows CR LF, and a
// lone CR, as one line break of its own.)
QString withFileLineBreaks(const QString &shown);
