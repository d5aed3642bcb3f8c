#include "jusho_readout.h"

#include <QTest>

class TestJushoReadout : public QObject {
    Q_OBJECT
private slots:
    void namesToAppend_data();
    void namesToAppend();
    void detailsText_data();
    void detailsText();
    void withLineFeeds();
};

static JushoTable numberedTable() {
    JushoTable table;
    for (qint16 row = 1; row < JushoTable::kRows; ++row) {
        for (qint16 column = 0; column < 8; ++column)
            table.setCell(row, column, QStringLiteral("%1-%2").arg(row).arg(column));
    }
    return table;
}

void TestJushoReadout::namesToAppend_data() {
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("first open, no record") << 0 << 0 << QStringList{QString()};
    QTest::newRow("first open") << 0 << 2 << QStringList{QString(), "1-0", "2-0"};
    QTest::newRow("two new records") << 3 << 4 << QStringList{"3-0", "4-0"};
    QTest::newRow("nothing new") << 5 << 4 << QStringList{};
    QTest::newRow("shorter file") << 10 << 4 << QStringList{};
    QTest::newRow("full list") << 101 << 100 << QStringList{};
}

void TestJushoReadout::namesToAppend() {
    QFETCH(int, itemCount);
    QFETCH(int, count);
    QFETCH(QStringList, names);
    QCOMPARE(::namesToAppend(numberedTable(), itemCount, qint16(count)), names);
}

void TestJushoReadout::detailsText_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("expected");
    const QString blank = QString("\r\n").repeated(7);
    QTest::newRow("blank first row") << 0 << QString() << blank;
    QTest::newRow("record") << 7 << QString("memo")
                            << "7-1\r\n7-2\r\n7-3\r\n7-4\r\n7-5\r\n7-6\r\nmemo\r\n";
    QTest::newRow("notes ending in a break")
        << 100 << QString("a\r\n")
        << "100-1\r\n100-2\r\n100-3\r\n100-4\r\n100-5\r\n100-6\r\na\r\n\r\n";
    QTest::newRow("nothing selected") << -1 << QString() << QString();
    QTest::newRow("past the table") << 101 << QString() << QString();
}

void TestJushoReadout::detailsText() {
    QFETCH(int, row);
    QFETCH(QString, notes);
    QFETCH(QString, expected);
    JushoTable table = numberedTable();
    table.setCell(qint16(row), 7, notes);
    const std::optional<QString> text = ::detailsText(table, qint16(row));
    QCOMPARE(text.has_value(), !expected.isNull());
    QCOMPARE(text.value_or(QString()), expected);
}

void TestJushoReadout::withLineFeeds() {
    QCOMPARE(::withLineFeeds("a\r\nb\rc\n\r\n"), QString("a\nb\nc\n\n"));
}

QTEST_APPLESS_MAIN(TestJushoReadout)
#include "tst_jusho_readout.moc"
