#include "toroku_record.h"

#include <QTest>

class NotesLineBreaksTest : public QObject {
    Q_OBJECT
private slots:
    void notesLineBreaks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << QStringLiteral("") << QStringLiteral("");
        QTest::newRow("no break") << QStringLiteral("補足") << QStringLiteral("補足");
        QTest::newRow("LF") << QStringLiteral("一行目\n二行目\n")
                            << QStringLiteral("一行目\r\n二行目\r\n");
        QTest::newRow("leading and doubled LF")
            << QStringLiteral("\n\na") << QStringLiteral("\r\n\r\na");
        QTest::newRow("CR LF kept") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb");
        QTest::newRow("CR LF then LF")
            << QStringLiteral("a\r\n\nb") << QStringLiteral("a\r\n\r\nb");
        QTest::newRow("lone CR kept") << QStringLiteral("a\rb") << QStringLiteral("a\rb");
    }
    void notesLineBreaks() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(notesWithCrLf(typed), stored);
    }
};

QTEST_APPLESS_MAIN(NotesLineBreaksTest)
#include "tst_toroku_record.moc"
