#include "toroku_record.h"

JushoRecord gatherRecord(const QString &name, const QString &address,
                         const std::array<QString, kContactRows> &kinds,
                         const std::array<QString, kContactRows> &values, const QString &category,
                         const QString &notes) {
    JushoRecord record;
    record[Shimei] = name;
    record[Jusho] = address;
    for (int i = 0; i < kContactRows; ++i)
        record[Phone0 + i] = contactEntry(kinds[i], values[i]);
    record[Kankei] = category;
    record[Hosoku] = withFileLineBreaks(notes);
    return record;
}
