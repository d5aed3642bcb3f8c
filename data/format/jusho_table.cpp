#include "jusho_table.h"

const QString &JushoTable::cell(qint16 row, qint16 column) const {
    static const QString outside;
    if (!contains(row, column))
        return outside;
    return m_cells[row][column];
}

void JushoTable::setCell(qint16 row, qint16 column, const QString &text) {
    if (contains(row, column))
        m_cells[row][column] = text;
}
