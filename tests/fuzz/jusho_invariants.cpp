#include "jusho_invariants.h"

#include "data_file.h"
#include "jusho_line.h"
#include "jusho_parser.h"
#include "shift_jis.h"

#include <QStringList>

#include <memory>

namespace JushoInvariants {

namespace {

using Kind = DataError::Kind;

const QString kPath = QStringLiteral("/fuzz/Pellinova/Tovrin.txt");

// Text that no load writes, different in every cell, made once: the checks run for every
// fuzz input and copying a shared string costs no allocation.
const QString &marker(qint16 row, qint16 column) {
    static const auto markers = [] {
        auto texts = std::make_unique<JushoTable>();
        for (qint16 r = 0; r < JushoTable::kRows; ++r) {
            for (qint16 c = 0; c < JushoTable::kColumns; ++c)
                texts->setCell(r, c, QStringLiteral("■%1,%2").arg(r).arg(c));
        }
        return texts;
    }();
    return markers->cell(row, column);
}

QString describe(const LoadResult &loaded) {
    if (loaded.ok())
        return QStringLiteral("%1 records").arg(loaded.count);
    return QStringLiteral("%1 records, error %2 at record %3 field %4")
        .arg(loaded.count)
        .arg(int(loaded.error->kind))
        .arg(loaded.error->record)
        .arg(loaded.error->field);
}

bool sameOutcome(const LoadResult &a, const LoadResult &b) {
    if (a.count != b.count || a.ok() != b.ok())
        return false;
    return a.ok() || (a.error->kind == b.error->kind && a.error->record == b.error->record &&
                      a.error->field == b.error->field);
}

// The reading rules once more, as plainly as they can be put: the bytes are split into
// fields first and each field is decoded on its own, where the reader decodes the whole
// file first when it can.
LoadResult readAgain(JushoTable &table, QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    auto delimiterFrom = [&](qsizetype from) {
        while (from < size && bytes[from] != ',' && bytes[from] != '\n')
            ++from;
        return from;
    };
    qsizetype pos = 0;
    qint16 record = 0;
    while (pos < size) {
        ++record;
        for (qint16 field = 0; field < kJushoFieldCount; ++field) {
            auto stop = [&](Kind kind) {
                return LoadResult{qint16(record - 1), DataError{kind, kPath, record, field}};
            };
            if (record > JushoTable::kCapacity)
                return stop(Kind::TooManyRecords);
            if (pos >= size)
                return stop(Kind::RecordCutShort);
            QByteArrayView raw;
            if (bytes[pos] == '"') {
                qsizetype close = pos + 1;
                while (close < size && bytes[close] != '"')
                    ++close;
                if (close >= size)
                    return stop(Kind::RecordCutShort);
                raw = bytes.sliced(pos + 1, close - pos - 1);
                pos = std::min(delimiterFrom(close + 1) + 1, size);
            } else {
                const qsizetype end = delimiterFrom(pos);
                raw = bytes.sliced(pos, end - pos);
                if (end < size && bytes[end] == '\n' && raw.endsWith('\r'))
                    raw.chop(1);
                while (raw.startsWith(' '))
                    raw = raw.sliced(1);
                while (raw.endsWith(' '))
                    raw.chop(1);
                pos = std::min(end + 1, size);
            }
            const std::optional<QString> text = ShiftJis::decode(raw);
            if (!text)
                return stop(Kind::NotShiftJis);
            table.setCell(record, field, *text);
        }
    }
    return {record, std::nullopt};
}

std::optional<QString> checkOutcome(const LoadResult &loaded) {
    if (loaded.count < 0 || loaded.count > JushoTable::kCapacity)
        return QStringLiteral("count out of range: %1").arg(describe(loaded));
    if (loaded.ok())
        return std::nullopt;
    const DataError &error = *loaded.error;
    if (error.kind != Kind::RecordCutShort && error.kind != Kind::TooManyRecords &&
        error.kind != Kind::NotShiftJis)
        return QStringLiteral("not a reading error: %1").arg(describe(loaded));
    if (error.record != loaded.count + 1 || error.field < 0 || error.field >= kJushoFieldCount)
        return QStringLiteral("error does not say where reading stopped: %1").arg(describe(loaded));
    if (error.kind == Kind::TooManyRecords &&
        (loaded.count != JushoTable::kCapacity || error.field != 0))
        return QStringLiteral("too many records before the 101st: %1").arg(describe(loaded));
    const QString message = error.message();
    if (!message.contains(kPath) || !message.contains(QString::number(error.record)))
        return QStringLiteral("message does not name the file and record: %1").arg(message);
    return std::nullopt;
}

// Whether the load may have written the cell: rows 1 to count, and on failure the fields
// of the next record that were stored before reading stopped.
bool written(const LoadResult &loaded, qint16 row, qint16 column) {
    if (row < 1 || column >= kJushoFieldCount)
        return false;
    if (row <= loaded.count)
        return true;
    return !loaded.ok() && row == loaded.count + 1 && column < loaded.error->field;
}

std::optional<QString> compareTables(const JushoTable &actual, const JushoTable &expected,
                                     const QString &what) {
    for (qint16 row = 0; row < JushoTable::kRows; ++row) {
        for (qint16 column = 0; column < JushoTable::kColumns; ++column) {
            if (actual.cell(row, column) != expected.cell(row, column))
                return QStringLiteral("%1: row %2 column %3 is \"%4\", not \"%5\"")
                    .arg(what)
                    .arg(row)
                    .arg(column)
                    .arg(actual.cell(row, column), expected.cell(row, column));
        }
    }
    return std::nullopt;
}

// What loaded is written back line by line and must read the same. A quote can only have
// come from an unquoted, hand-edited field; such a file cannot be written back as it reads.
std::optional<QString> checkWrittenBack(const JushoTable &table, qint16 count) {
    QByteArray file;
    for (qint16 row = 1; row <= count; ++row) {
        JushoRecord record;
        for (qint16 column = 0; column < kJushoFieldCount; ++column)
            record[column] = table.cell(row, column);
        auto line = formatJushoLine(record, kPath);
        if (const auto *refused = std::get_if<DataError>(&line)) {
            if (refused->kind == Kind::QuoteInField && record[refused->field].contains(u'"'))
                return std::nullopt;
            return QStringLiteral("record %1 loads but cannot be written back: %2")
                .arg(row)
                .arg(refused->message());
        }
        file += std::get<QByteArray>(line);
    }
    auto again = std::make_unique<JushoTable>();
    const LoadResult reloaded = parseJushoTable(*again, file, kPath);
    if (!reloaded.ok() || reloaded.count != count)
        return QStringLiteral("written back, it reads as %1").arg(describe(reloaded));
    for (qint16 row = 1; row <= count; ++row) {
        for (qint16 column = 0; column < kJushoFieldCount; ++column) {
            if (again->cell(row, column) != table.cell(row, column))
                return QStringLiteral("written back, record %1 field %2 changed")
                    .arg(row)
                    .arg(column);
        }
    }
    return std::nullopt;
}

// Input methods type a few look-alikes that the code page stores as its own characters.
bool sameAsTyped(const QString &typed, const QString &read) {
    static const QString lookAlikes = QStringLiteral("〜−‖—¢£¬");
    if (typed.size() != read.size())
        return false;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (typed[i] != read[i] && !lookAlikes.contains(typed[i]))
            return false;
    }
    return true;
}

bool holdsCharacter(QStringView text, char32_t wanted) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (c == wanted)
            return true;
    }
    return false;
}

bool fileCanHold(const QString &text) {
    return !text.contains(u'"') && ShiftJis::encode(text).ok();
}

std::optional<QString> checkRefusal(const JushoRecord &record, const DataError &error) {
    if (error.field < 0 || error.field >= kJushoFieldCount)
        return QStringLiteral("refusal names no field: %1").arg(error.field);
    for (qint16 field = 0; field < error.field; ++field) {
        if (!fileCanHold(record[field]))
            return QStringLiteral("field %1 refused, but field %2 before it cannot be held either")
                .arg(error.field)
                .arg(field);
    }
    const QString &text = record[error.field];
    if (error.message().isEmpty())
        return QStringLiteral("refusal without a message");
    if (error.kind == Kind::QuoteInField) {
        if (!text.contains(u'"'))
            return QStringLiteral("quote refused in field %1, which has none").arg(error.field);
        return std::nullopt;
    }
    if (error.kind != Kind::CannotEncode)
        return QStringLiteral("unexpected refusal %1").arg(int(error.kind));
    if (fileCanHold(text))
        return QStringLiteral("field %1 refused, but it encodes").arg(error.field);
    if (!holdsCharacter(text, error.character))
        return QStringLiteral("refused U+%1 is not in field %2")
            .arg(uint(error.character), 4, 16, QLatin1Char('0'))
            .arg(error.field);
    const char32_t c = error.character;
    const QString alone = c > 0xFFFF ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c)));
    if (ShiftJis::encode(alone).ok())
        return QStringLiteral("refused U+%1 encodes on its own")
            .arg(uint(error.character), 4, 16, QLatin1Char('0'));
    return std::nullopt;
}

} // namespace

std::optional<QString> checkLoad(QByteArrayView bytes) {
    auto fresh = std::make_unique<JushoTable>();
    const LoadResult loaded = parseJushoTable(*fresh, bytes, kPath);
    if (auto broken = checkOutcome(loaded))
        return broken;

    auto expected = std::make_unique<JushoTable>();
    const LoadResult reference = readAgain(*expected, bytes);
    if (!sameOutcome(loaded, reference))
        return QStringLiteral("reads as %1, but the rules give %2")
            .arg(describe(loaded), describe(reference));
    if (auto broken = compareTables(*fresh, *expected, QStringLiteral("empty table")))
        return broken;

    // A table that an earlier load filled: only the cells this load reads may change.
    auto filled = std::make_unique<JushoTable>();
    for (qint16 row = 0; row < JushoTable::kRows; ++row) {
        for (qint16 column = 0; column < JushoTable::kColumns; ++column) {
            filled->setCell(row, column, marker(row, column));
            if (!written(loaded, row, column))
                expected->setCell(row, column, marker(row, column));
        }
    }
    const LoadResult again = parseJushoTable(*filled, bytes, kPath);
    if (!sameOutcome(loaded, again))
        return QStringLiteral("reads as %1 into an empty table, as %2 into a filled one")
            .arg(describe(loaded), describe(again));
    if (auto broken = compareTables(*filled, *expected, QStringLiteral("filled table")))
        return broken;

    if (!loaded.ok())
        return std::nullopt;
    return checkWrittenBack(*fresh, loaded.count);
}

std::optional<QString> checkLine(const JushoRecord &record) {
    auto line = formatJushoLine(record, kPath);
    if (const auto *refused = std::get_if<DataError>(&line))
        return checkRefusal(record, *refused);
    const QByteArray &bytes = std::get<QByteArray>(line);
    if (!bytes.startsWith('"') || !bytes.endsWith("\"\r\n"))
        return QStringLiteral("not a quoted line: %1").arg(QString::fromLatin1(bytes.toHex()));

    // Twice, so that the line's end is seen to leave the next record intact.
    auto table = std::make_unique<JushoTable>();
    const LoadResult loaded = parseJushoTable(*table, bytes + bytes, kPath);
    if (!loaded.ok() || loaded.count != 2)
        return QStringLiteral("two copies of the line read as %1").arg(describe(loaded));
    for (qint16 row = 1; row <= 2; ++row) {
        for (qint16 field = 0; field < kJushoFieldCount; ++field) {
            if (!sameAsTyped(record[field], table->cell(row, field)))
                return QStringLiteral("field %1 reads back as \"%2\", typed \"%3\"")
                    .arg(field)
                    .arg(table->cell(row, field), record[field]);
        }
    }
    return std::nullopt;
}

JushoRecord recordFromUtf16(QByteArrayView bytes) {
    JushoRecord record;
    qint16 field = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8);
        if (unit == 0xFFFF) {
            field = std::min<qint16>(field + 1, kJushoFieldCount - 1);
            continue;
        }
        record[field] += QChar(unit);
    }
    return record;
}

} // namespace JushoInvariants
