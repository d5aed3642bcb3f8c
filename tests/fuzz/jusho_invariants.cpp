#include "jusho_invariants.h"

#include "jusho_line.h"
#include "jusho_parser.h"
#include "shift_jis.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>

#include <array>
#include <memory>

namespace JushoInvariants {

namespace {

using Kind = DataError::Kind;

const QString kPath = QStringLiteral("/fuzz/Pellinova/Tovrin.txt");
// The path as messages show it: with backslashes on Windows.
const QString kShownPath = QDir::toNativeSeparators(kPath);
const QString kMarker = QStringLiteral("😀"); // no load can write it: not Shift-JIS

QString describe(const Result<qint16> &loaded) {
    if (!loaded.ok())
        return QStringLiteral("kind %1").arg(int(loaded.error().kind));
    QString text = QString::number(loaded.value()) + QStringLiteral(" records");
    for (const DataError &warning : loaded.warnings())
        text += QString::asprintf(", kind %d at record %d field %d", int(warning.kind),
                                  warning.record, warning.field);
    return text;
}

// A field as UTF-8, with a warning if anything in it was not.
Result<QString> fromUtf8(QByteArrayView field) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    Result<QString> shown(utf8.decode(field));
    if (utf8.hasError())
        shown.warn({.kind = Kind::NotShiftJis});
    return shown;
}

// The reading rules once more, put another way: a pattern for one field over the bytes,
// each field decoded on its own, where the reader decodes the whole file first if it can.
// A book saved as UTF-8 (a byte order mark, or UTF-8 throughout beyond ASCII) reads as UTF-8.
Result<qint16> readAgain(JushoTable &table, QByteArrayView bytes) {
    static const QRegularExpression beyondAscii(QStringLiteral("[^\\x00-\\x7F]"));
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    const bool utf8 = mark || (QString::fromLatin1(bytes).contains(beyondAscii) &&
                               fromUtf8(bytes).warnings().isEmpty());
    if (mark)
        bytes = bytes.sliced(3);
    static const QRegularExpression field(
        QLatin1String(R"re((?:"([^"]*)"[^,\n]*(?:,|\n|\z)|(?!") *([^,\n]*?) *(?:,|\r?\n|\z)))re"));
    const QString latin1 = QString::fromLatin1(bytes); // one character per byte
    std::optional<DataError> firstStray;
    const auto loaded = [&](qint16 count, std::optional<DataError> stop) {
        Result<qint16> read(count);
        if (utf8)
            read.warn({.kind = Kind::SavedAsUtf8, .path = kPath});
        for (const auto &warning : {stop, firstStray}) {
            if (warning)
                read.warn(*warning);
        }
        return read;
    };
    qsizetype pos = 0;
    qint16 record = 1;
    for (; pos < latin1.size(); ++record) {
        std::optional<DataError> stray;
        std::array<QString, kJushoFieldCount> texts;
        for (qint16 column = 0; column < kJushoFieldCount; ++column) {
            DataError here{
                .kind = Kind::NotShiftJis, .path = kPath, .record = record, .field = column};
            const auto match = field.match(latin1, pos, QRegularExpression::NormalMatch,
                                           QRegularExpression::AnchorAtOffsetMatchOption);
            if (record > JushoTable::kCapacity || pos >= latin1.size() || !match.hasMatch()) {
                here.kind =
                    record > JushoTable::kCapacity ? Kind::TooManyRecords : Kind::RecordCutShort;
                return loaded(qint16(record - 1), here);
            }
            const int text = match.hasCaptured(1) ? 1 : 2;
            const QByteArrayView raw =
                bytes.sliced(match.capturedStart(text), match.capturedLength(text));
            const auto shown = utf8 ? fromUtf8(raw) : ShiftJis::decodeForShowing(raw);
            if (!shown.warnings().isEmpty() && !stray)
                stray = here;
            texts[column] = shown.value();
            pos = match.capturedEnd();
        }
        for (qint16 column = 0; column < kJushoFieldCount; ++column)
            table.setCell(record, column, texts[column]);
        if (!firstStray)
            firstStray = stray;
    }
    return loaded(qint16(record - 1), std::nullopt);
}

// The count keeps to the table; a stop and its message name where reading stopped, and the
// first stray bytes are in a record that was read whole.
std::optional<QString> checkOutcome(const Result<qint16> &loaded) {
    if (!loaded.ok() || loaded.value() < 0 || loaded.value() > JushoTable::kCapacity)
        return QStringLiteral("count out of range: %1").arg(describe(loaded));
    const qint16 count = loaded.value();
    if (const auto stray = loaded.warning(Kind::NotShiftJis);
        stray && (stray->record > count || !stray->message().contains(kShownPath)))
        return QStringLiteral("stray bytes out of place: %1").arg(describe(loaded));
    auto stop = loaded.warning(Kind::TooManyRecords);
    if (!stop)
        stop = loaded.warning(Kind::RecordCutShort);
    if (!stop)
        return std::nullopt;
    const QString message = stop->message();
    if (stop->record == count + 1 && message.contains(kShownPath) &&
        message.contains(QStringLiteral("%1件目").arg(stop->record)))
        return std::nullopt;
    return QStringLiteral("stop out of place: %1: %2").arg(describe(loaded), message);
}

// Input methods type a few look-alikes that the code page stores as its own characters.
QString asStored(QString typed) {
    static const QString lookAlikes = QStringLiteral("〜−‖—¢£¬");
    static const QString stored = QStringLiteral("～－∥―￠￡￢");
    for (qsizetype i = 0; i < lookAlikes.size(); ++i)
        typed.replace(lookAlikes[i], stored[i]);
    return typed;
}

// The refusal names a field, and a character really in it that Shift-JIS cannot hold even on
// its own, or the quote that the file cannot hold in a field.
std::optional<QString> checkRefusal(const JushoRecord &record, const DataError &error) {
    if (error.field < 0 || error.field >= kJushoFieldCount || error.message().isEmpty())
        return QStringLiteral("refusal names no field: %1").arg(error.field);
    const char32_t c = error.character;
    const QString alone = c > 0xFFFF ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c)));
    const bool quote = error.kind == Kind::QuoteInField && c == U'"';
    const bool cannot = error.kind == Kind::CannotEncode && !ShiftJis::encode(alone).ok();
    if ((quote || cannot) && record[error.field].contains(alone))
        return std::nullopt;
    return QString::asprintf("refused U+%04X in field %d wrongly", uint(c), error.field);
}

} // namespace

std::optional<QString> checkLoad(QByteArrayView bytes) {
    // Into a table that an earlier load filled: only rows 1 to count change. A record cut
    // short leaves nothing of itself, so that no row ever mixes two people.
    auto table = std::make_unique<JushoTable>();
    for (qint16 row = 0; row < JushoTable::kRows; ++row) {
        for (qint16 column = 0; column < JushoTable::kColumns; ++column)
            table->setCell(row, column, kMarker);
    }
    const Result<qint16> loaded = parseJushoTable(*table, bytes, kPath);
    if (auto broken = checkOutcome(loaded))
        return broken;

    auto expected = std::make_unique<JushoTable>();
    const Result<qint16> rules = readAgain(*expected, bytes);
    if (describe(loaded) != describe(rules))
        return QStringLiteral("reads as %1, but the rules give %2")
            .arg(describe(loaded), describe(rules));
    for (qint16 row = 0; row < JushoTable::kRows; ++row) {
        for (qint16 column = 0; column < JushoTable::kColumns; ++column) {
            const bool read = row >= 1 && row <= loaded.value() && column < kJushoFieldCount;
            if (table->cell(row, column) !=
                (read ? expected->cell(row, column) : QStringView(kMarker)))
                return QString::asprintf("row %d column %d differs from the rules", row, column);
        }
    }
    return std::nullopt;
}

std::optional<QString> checkLine(const JushoRecord &record) {
    const auto line = formatJushoLine(record, kPath);
    if (!line.ok())
        return checkRefusal(record, line.error());
    const QByteArray &bytes = line.value();
    if (!bytes.startsWith('"') || !bytes.endsWith("\"\r\n"))
        return QStringLiteral("not a quoted line: %1").arg(QString::fromLatin1(bytes.toHex()));

    // Twice, so that the line's end is seen to leave the next record intact. As Shift-JIS: a
    // few lines of rare characters alone are also UTF-8, and a book of nothing else would be
    // taken for one.
    auto table = std::make_unique<JushoTable>();
    const Result<qint16> loaded =
        parseJushoTable(*table, bytes + bytes, kPath, BookEncoding::ShiftJis);
    if (!loaded.warnings().isEmpty() || loaded.value() != 2)
        return QStringLiteral("two copies of the line read as %1").arg(describe(loaded));
    for (qint16 row = 1; row <= 2; ++row) {
        for (qint16 field = 0; field < kJushoFieldCount; ++field) {
            if (table->cell(row, field) != asStored(record[field]))
                return QStringLiteral("field %1 reads back as %2").arg(field).arg(record[field]);
        }
    }
    return std::nullopt;
}

namespace {

JushoRecord recordFromUtf16(QByteArrayView bytes) {
    JushoRecord record;
    qint16 field = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8);
        if (unit == 0xFFFF)
            field = std::min<qint16>(field + 1, kJushoFieldCount - 1);
        else
            record[field] += QChar(unit);
    }
    return record;
}

} // namespace

std::optional<QString> check(QByteArrayView target, QByteArrayView input) {
    return target == "load" ? checkLoad(input) : checkLine(recordFromUtf16(input));
}

} // namespace JushoInvariants
