#include "frm_toroku.h"
#include "test_support.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// Each launch target is a script that logs how many arguments it got and which it is.
class TestLaunchButtons : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString logPath() const { return m_dir.filePath(QStringLiteral("started.log")); }
    QString target(int button) const {
        return m_dir.filePath(QStringLiteral("target %1.sh").arg(button));
    }
    QStringList loggedStarts() const {
        if (!QFile::exists(logPath()))
            return {};
        return QString::fromUtf8(fileBytes(logPath())).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        for (int button = 1; button <= 3; ++button) {
            QVERIFY(writeFile(target(button),
                              QStringLiteral("#!/bin/sh\necho \"$# target%1\" >> '%2'\n")
                                  .arg(button)
                                  .arg(logPath())
                                  .toUtf8()));
            QVERIFY(QFile::setPermissions(target(button), QFile::ReadOwner | QFile::ExeOwner));
        }
    }
    void init() { QFile::remove(logPath()); }

    void launch_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("missing");
        QTest::newRow("Command1 once") << 1 << 1 << QString();
        QTest::newRow("Command2 twice") << 2 << 2 << QString();
        QTest::newRow("Command1 missing") << 1 << 1 << QStringLiteral("no such/mailer");
    }
    void launch() {
        QFETCH(int, button);
        QFETCH(int, presses);
        QFETCH(QString, missing);
        LauncherTable table = defaultLaunchers();
        for (int i = 0; i < 3; ++i)
            table[i].program = target(i + 1);
        if (!missing.isNull())
            table[button - 1].program = m_dir.filePath(missing);
        frmToroku window(DataFileLocation{}, nullptr, table);
        window.Form_Load();
        window.show();
        child<QLineEdit>(window, "txtShimei")->setText(QStringLiteral("山田"));
        child<QListWidget>(window, "lstOS")->setCurrentRow(2);

        const auto press = [&](int number) {
            return messagesDuring([&] {
                QTest::mouseClick(
                    child<QPushButton>(window, QStringLiteral("Command%1").arg(number)),
                    Qt::LeftButton);
            });
        };
        QStringList expected(presses, QStringLiteral("0 target%1").arg(button));
        for (int i = 0; i < presses; ++i) {
            const ShownMessage shown = press(button);
            QVERIFY2(missing.isNull() ? shown.count == 0
                                      : shown.text.contains(table[button - 1].program),
                     qPrintable(shown.text));
        }
        if (!missing.isNull()) {
            // A start that did happen would have logged by the time a later one has.
            QCOMPARE(press(3).count, 0);
            expected = QStringList{QStringLiteral("0 target3")};
        }
        QTRY_COMPARE(loggedStarts(), expected);
        QCOMPARE(child<QLineEdit>(window, "txtShimei")->text(), QStringLiteral("山田"));
        QCOMPARE(child<QListWidget>(window, "lstOS")->currentRow(), 2);
    }
};

QTEST_MAIN(TestLaunchButtons)
#include "tst_launch_buttons.moc"
