#include "shift_jis.h"

#include <QFile>
#include <QHash>
#include <QTest>

// Code page 932 against an independent converter (glibc iconv), over every code.
class TestShiftJis : public QObject {
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
};

QTEST_GUILESS_MAIN(TestShiftJis)
#include "tst_shift_jis.moc"
