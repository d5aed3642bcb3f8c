#include "jusho_parser.h"

#include "shift_jis.h"

#include <cstring>
#include <limits>

namespace {

// Reads fields the way the writer lays them out. The bytes '"', ',', CR and LF are never
// the second byte of a Shift-JIS character, so the bytes can be split before decoding.
class FieldReader {
public:
    explicit FieldReader(QByteArrayView bytes)
        : m_bytes(bytes) {}

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    // The raw bytes of the next field, or nothing if the file ends before or inside it.
    std::optional<QByteArrayView> next() {
        if (atEnd())
            return std::nullopt;
        if (m_bytes[m_pos] == '"')
            return quoted();
        return unquoted();
    }

private:
    // Everything up to the next quote; whatever follows it up to the comma or line end is
    // dropped, so the next read starts at the next field.
    std::optional<QByteArrayView> quoted() {
        const char *begin = m_bytes.data() + m_pos + 1;
        const auto *close = static_cast<const char *>(
            std::memchr(begin, '"', m_bytes.data() + m_bytes.size() - begin));
        if (!close)
            return std::nullopt;
        const QByteArrayView field(begin, close - begin);
        m_pos = close - m_bytes.data() + 1;
        skipPastDelimiter(delimiterFrom(m_pos));
        return field;
    }

    std::optional<QByteArrayView> unquoted() {
        const qsizetype end = delimiterFrom(m_pos);
        qsizetype first = m_pos;
        qsizetype last = end;
        while (first < last && m_bytes[first] == ' ')
            ++first;
        while (last > first && m_bytes[last - 1] == ' ')
            --last;
        const QByteArrayView field = m_bytes.sliced(first, last - first);
        skipPastDelimiter(end);
        return field;
    }

    // Where the next comma or line end (CR LF, or a lone LF) starts; the end if none.
    qsizetype delimiterFrom(qsizetype from) const {
        for (qsizetype i = from; i < m_bytes.size(); ++i) {
            const char b = m_bytes[i];
            if (b == ',')
                return i;
            if (b == '\n')
                return i > from && m_bytes[i - 1] == '\r' ? i - 1 : i;
        }
        return m_bytes.size();
    }

    void skipPastDelimiter(qsizetype at) {
        if (at >= m_bytes.size())
            m_pos = m_bytes.size();
        else if (m_bytes[at] == '\r')
            m_pos = at + 2;
        else
            m_pos = at + 1;
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

} // namespace

LoadResult parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path) {
    FieldReader reader(bytes);
    qint16 record = 0;
    auto failure = [&](DataError::Kind kind, qint16 field) {
        return LoadResult{qint16(record - 1), DataError{kind, path, record, field}};
    };

    while (!reader.atEnd()) {
        if (record == std::numeric_limits<qint16>::max())
            return failure(DataError::Kind::TooManyRecords, 0);
        ++record;
        for (qint16 field = 0; field < kJushoFieldCount; ++field) {
            if (!JushoTable::contains(record, field))
                return failure(DataError::Kind::TooManyRecords, field);
            const std::optional<QByteArrayView> raw = reader.next();
            if (!raw)
                return failure(DataError::Kind::RecordCutShort, field);
            std::optional<QString> text = ShiftJis::decode(*raw);
            if (!text)
                return failure(DataError::Kind::NotShiftJis, field);
            table.setCell(record, field, *text);
        }
    }
    return {record, std::nullopt};
}
