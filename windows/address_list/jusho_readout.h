#pragma once

#include "jusho_table.h"

#include <QString>
#include <QStringList>

#include <optional>

// The address list window's arithmetic, kept apart from the widgets so that it can be
// checked without a screen.

// The window shows each name, and each field of the chosen person, only up to a length no
// real address book comes near, so that no file the program accepts can freeze it: laying
// out one line of millions of characters takes seconds. What is left out is marked where
// it was cut; the table keeps every character.
inline constexpr qsizetype kShownNameLength = 100;
inline constexpr qsizetype kShownFieldLength = 5000;

// The names that an Open appends to a list already holding itemCount items, after a load
// that filled rows 1 to count: rows itemCount to count, in order. Item k of the list stands
// for row k, so the list gains only the rows it does not show yet (row 0 as an empty item).
QStringList namesToAppend(const JushoTable &table, int itemCount, qint16 count);

// Columns 1 to 7 of the row, each followed by CR LF as the data file holds line breaks;
// nothing when the row is outside the table (no item selected is row -1).
std::optional<QString> detailsText(const JushoTable &table, qint16 row);
