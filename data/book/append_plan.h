#pragma once

#include "data_file_io.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFlags>
#include <QString>

#include <optional>

// What an append may do besides adding at the end of the file, once the user has agreed.
enum class Repair {
    SetAsideCutOff = 1,    // a cut-off last record moves to a file of its own first
    ConvertToShiftJis = 2, // a book saved as UTF-8 is set aside and written anew in Shift-JIS
};
Q_DECLARE_FLAGS(Repairs, Repair)
Q_DECLARE_OPERATORS_FOR_FLAGS(Repairs)

// The repair that a refused append asks the user about, if it asks about one.
std::optional<Repair> repairAskedFor(const DataError &error);

// Whether and how the line joins the book as it stands: at its end; after a cut-off last
// record is set aside; or, for a book saved as UTF-8, in the whole book written anew in
// Shift-JIS while the UTF-8 one is set aside. Whatever refuses the append is told before
// any repair is asked about. The path only names the file in messages.
Result<AppendPlan> planAppend(const QByteArray &line, QByteArrayView existing, const QString &path,
                              Repairs agreed);
