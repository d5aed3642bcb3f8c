#pragma once

#include "data_error.h"

#include <QString>

// What the address list window tells the user, and how seriously.
struct Notice {
    enum class Kind { Information, Warning };

    Kind kind;
    QString text;
};

// Why an Open listed nothing new. A missing data file is no fault: it is how every address
// book starts, before the first entry is added.
Notice openFailureNotice(const DataError &error);
