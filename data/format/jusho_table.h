#pragma once

#include <QString>
#include <QStringView>

#include <array>

// The in-memory copy of the data file: rows 0 to 100 by columns 0 to 8. Record r of the
// file lives in row r; row 0 is never loaded and column 8 is never used, but both exist
// so that a list position can index the table directly.
//
// The cells of one load share the file's decoded text rather than each holding a copy of
// their part, so that a book is held once however large its fields are.
class JushoTable {
public:
    static constexpr qint16 kRows = 101;
    static constexpr qint16 kColumns = 9;
    static constexpr qint16 kCapacity = kRows - 1; // records 1 to 100

    static constexpr bool contains(qint16 row, qint16 column) {
        return row >= 0 && row < kRows && column >= 0 && column < kColumns;
    }

    // Callers test contains() first; an index outside the table reads as empty and
    // writes nothing, so a bug can never touch memory outside it. The text stays valid
    // until the cell is set again.
    QStringView cell(qint16 row, qint16 column) const;
    void setCell(qint16 row, qint16 column, const QString &text);
    // The cell's text is `length` characters of `source` from `from`, shared with it.
    void setCell(qint16 row, qint16 column, const QString &source, qsizetype from,
                 qsizetype length);
    // Rows from `row` on keep a copy of their own text, no longer sharing an earlier load's
    // whole text: what a longer book loaded before a shorter one left is all that stays.
    void keepOwnText(qint16 row);

private:
    struct Cell {
        QString source;
        qsizetype from = 0;
        qsizetype length = 0;
    };
    std::array<std::array<Cell, kColumns>, kRows> m_cells;
};
