#include "jusho_table.h"

QStringView JushoTable::cell(qint16 row, qint16 column) const {
    if (!contains(row, column))
        return {};
    const Cell &cell = m_cells[row][column];
    return QStringView(cell.source).sliced(cell.from, cell.length);
}

void JushoTable::setCell(qint16 row, qint16 column, const QString &text) {
    setCell(row, column, text, 0, text.size());
}

void JushoTable::setCell(qint16 row, qint16 column, const QString &source, qsizetype from,
                         qsizetype length) {
    if (contains(row, column) && from >= 0 && length >= 0 && from + length <= source.size())
        m_cells[row][column] = {source, from, length};
}

void JushoTable::keepOwnText(qint16 row) {
    for (; row >= 0 && row < kRows; ++row) {
        for (Cell &cell : m_cells[row]) {
            if (cell.length != cell.source.size())
                cell = {cell.source.sliced(cell.from, cell.length), 0, cell.length};
        }
    }
}
