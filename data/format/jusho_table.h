#pragma once

#include <QString>

#include <array>

// The in-memory copy of the data file: rows 0 to 100 by columns 0 to 8. Record r of the
// file lives in row r; row 0 is never loaded and column 8 is never used, but both exist
// so that a list position can index the table directly.
class JushoTable {
public:
    static constexpr qint16 kRows = 101;
    static constexpr qint16 kColumns = 9;
    static constexpr qint16 kCapacity = kRows - 1; // records 1 to 100

    static constexpr bool contains(qint16 row, qint16 column) {
        return row >= 0 && row < kRows && column >= 0 && column < kColumns;
    }

    // Callers test contains() first; an index outside the table reads as empty and
    // writes nothing, so a bug can never touch memory outside it.
    const QString &cell(qint16 row, qint16 column) const;
    void setCell(qint16 row, qint16 column, const QString &text);

private:
    std::array<std::array<QString, kColumns>, kRows> m_cells;
};
