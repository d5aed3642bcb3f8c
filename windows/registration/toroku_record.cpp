#include "toroku_record.h"

QString notesWithCrLf(const QString &notes) {
    QString converted;
    converted.reserve(notes.size() + notes.count(QLatin1Char('\n')));
    for (qsizetype i = 0; i < notes.size(); ++i) {
        const QChar c = notes.at(i);
        if (c == QLatin1Char('\n') && (i == 0 || notes.at(i - 1) != QLatin1Char('\r')))
            converted += QLatin1Char('\r');
        converted += c;
    }
    return converted;
}

JushoRecord gatherRecord(const QString &name, const QString &address,
                         const std::array<QString, kContactRows> &kinds,
                         const std::array<QString, kContactRows> &values, const QString &category,
                         const QString &notes) {
    JushoRecord record;
    record[Shimei] = name;
    record[Jusho] = address;
    for (int i = 0; i <= 3; ++i)
        record[Phone0 + i] = contactEntry(kinds[i], values[i]);
    record[Kankei] = category;
    record[Hosoku] = notesWithCrLf(notes);
    return record;
}
