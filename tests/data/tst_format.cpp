#include "jusho_invariants.h"
#include "jusho_line.h"
#include "jusho_parser.h"
#include "shift_jis.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QTest>

// The data file's format: code page 932 against an independent converter (glibc iconv), over
// every code; a file's bytes as the table reads them; a record as the line written for it; and
// each seed of the fuzz targets, and each finding kept among them, through the rules they are
// fuzzed against, so that what fuzzing found on one platform is checked on every one.
class TestFormat : public QObject {
    Q_OBJECT

    QHash<QByteArray, QString> m_decodes;
    QHash<char32_t, QByteArray> m_encodes; // with the look-alikes, one way only

private slots:
    void initTestCase() {
        QFile file(QStringLiteral(CP932_REFERENCE));
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
        while (!file.atEnd()) {
            const QList<QByteArray> parts = file.readLine().trimmed().split(' ');
            if (parts.size() != 3 || parts[0].startsWith('#'))
                continue;
            const char32_t codePoint = parts[1].toUInt(nullptr, 16);
            if (parts[2] != ">")
                m_decodes.insert(QByteArray::fromHex(parts[0]), QString::fromUcs4(&codePoint, 1));
            if (parts[2] != "<")
                m_encodes.insert(codePoint, QByteArray::fromHex(parts[0]));
        }
        QVERIFY(m_decodes.size() > 9000);
    }

    void decodesEveryCodeAsReference() {
        for (int first = 0; first < 256; ++first) {
            const QByteArray single(1, char(first));
            if (m_decodes.contains(single)) {
                QCOMPARE(ShiftJis::decode(single).value(), m_decodes[single]);
                continue;
            }
            // Not a character by itself: a lead byte, or refused whatever follows it. For
            // showing, it stands as U+FFFD, and never takes a following quote with it.
            QVERIFY2(!ShiftJis::decode(single).ok(), qPrintable(single.toHex()));
            QCOMPARE(ShiftJis::decodeForShowing(single + '"').value(), u"\uFFFD\""_qs);
            for (int second = 0; second < 256; ++second) {
                // A pair the reference does not read stands as U+FFFD for showing.
                const QByteArray pair = single + char(second);
                const auto text = ShiftJis::decode(pair);
                const auto shown = ShiftJis::decodeForShowing(pair);
                QCOMPARE(text.ok() ? text.value() : "(none)", m_decodes.value(pair, "(none)"));
                QCOMPARE(shown.warnings().isEmpty(), text.ok());
                QVERIFY2(text.ok() ? shown.value() == text.value()
                                   : shown.value().startsWith(QChar::ReplacementCharacter),
                         pair.toHex());
            }
        }
    }

    void encodesEveryBmpCodeAsReference() {
        // iconv's best fits for YEN SIGN and OVERLINE would read back as \ and ~: refused here.
        m_encodes.remove(0x00A5);
        m_encodes.remove(0x203E);
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            const auto encoded = ShiftJis::encode(QString(QChar(char16_t(c))));
            QCOMPARE(encoded.ok() ? encoded.value() : QByteArray(), m_encodes.value(c));
            QCOMPARE(encoded.ok() ? 0u : uint(encoded.error().character),
                     m_encodes.contains(c) ? 0u : uint(c));
        }
    }

    // Fields typed by hand, unquoted, lose the spaces around them. (What any bytes read as, the
    // fuzz corpus checks against a second reading.)
    void readsUnquotedFields() {
        JushoTable table;
        const QByteArray bytes = " a b , c,\"d\",e ,,,, h\r\n\"2\",,,,,,,\r\n";
        QCOMPARE(parseJushoTable(table, bytes, {}).value(), 2);
        QStringList fields;
        for (qint16 field = 0; field < kJushoFieldCount; ++field)
            fields << table.cell(1, field).toString();
        QCOMPARE(fields.join(u'|'), QStringLiteral("a b|c|d|e||||h"));
    }

    // A record refused, naming the field as the registration window labels it. (What any record
    // is written as, the fuzz corpus checks by reading it back.)
    void writes_data() {
        QTest::addColumn<QStringList>("record");
        QTest::addColumn<QString>("refused");
        QTest::newRow("a double quote in the address")
            << QStringList{"山田", "東\"京", ";", ";", ";", ";", "", ""}
            << "「住所」に半角の二重引用符";
        QTest::newRow("hangul in the second contact entry")
            << QStringList{"山田", "", ";", "自宅;한", ";", ";", "", ""}
            << "「各アドレス2」の文字「한」";
    }
    void writes() {
        QFETCH(QStringList, record);
        QFETCH(QString, refused);
        JushoRecord fields;
        std::copy(record.begin(), record.end(), fields.begin());
        const auto line = formatJushoLine(fields, {});
        QVERIFY(!line.ok());
        QVERIFY2(line.error().message().contains(refused), qPrintable(line.error().message()));
    }

    void fuzzCorpusHolds_data() {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QString>("path");
        for (const char *target : {"load", "line"}) {
            QDirIterator seeds(QStringLiteral(FUZZ_CORPUS "/%1").arg(target), QDir::Files);
            while (seeds.hasNext())
                QTest::addRow("%s/%s", target, qPrintable(QFileInfo(seeds.next()).fileName()))
                    << QByteArray(target) << seeds.filePath();
        }
    }
    void fuzzCorpusHolds() {
        QFETCH(QByteArray, target);
        QFETCH(QString, path);
        QFile seed(path);
        QVERIFY(seed.open(QIODevice::ReadOnly));
        const auto broken = JushoInvariants::check(target, seed.readAll());
        QVERIFY2(!broken, qPrintable(broken.value_or(QString())));
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
