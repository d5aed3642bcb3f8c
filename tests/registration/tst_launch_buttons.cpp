#include "frm_toroku.h"
#include "toroku_test_support.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

// Each launch target is a script that logs how many arguments it got and which it is.
class LaunchButtonsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString logPath() const { return m_dir.filePath(QStringLiteral("started.log")); }
    QString scriptPath(int index) const {
        return m_dir.filePath(QStringLiteral("target %1.sh").arg(index));
    }

    QStringList loggedStarts() const {
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    LauncherTable scriptTable() const {
        LauncherTable table = defaultLaunchers();
        for (int i = 0; i < 3; ++i)
            table[i].program = scriptPath(i);
        return table;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (int i = 0; i < 3; ++i) {
            QFile script(scriptPath(i));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\necho \"$# target%1\" >> '%2'\n")
                             .arg(i)
                             .arg(logPath())
                             .toUtf8());
            script.close();
            QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
    }

    void init() { QFile::remove(logPath()); }

    void eachPressStartsOneProcessWithoutArguments_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("presses");
        QTest::newRow("Command1 once") << 0 << 1;
        QTest::newRow("Command2 twice") << 1 << 2;
        QTest::newRow("Command3 once") << 2 << 1;
    }
    void eachPressStartsOneProcessWithoutArguments() {
        QFETCH(int, index);
        QFETCH(int, presses);
        frmToroku window(DataFileLocation{m_dir.filePath(QStringLiteral("Tovrin.txt")),
                                          FolderCreation::MustExist},
                         nullptr, scriptTable());
        window.Form_Load();
        window.show();
        auto *name = control<QLineEdit>(window, QStringLiteral("txtShimei"));
        name->setText(QStringLiteral("山田"));
        control<QListWidget>(window, QStringLiteral("lstOS"))->setCurrentRow(2);

        auto *launchButton =
            control<QPushButton>(window, QStringLiteral("Command%1").arg(index + 1));
        for (int i = 0; i < presses; ++i)
            QCOMPARE(clickAndReadMessage(launchButton), QString());

        const QStringList expected(presses, QStringLiteral("0 target%1").arg(index));
        QTRY_COMPARE(loggedStarts(), expected);
        QCOMPARE(name->text(), QStringLiteral("山田"));
        QCOMPARE(control<QListWidget>(window, QStringLiteral("lstOS"))->currentRow(), 2);
    }

    void unusableTargetIsReported_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("missing") << m_dir.filePath(QStringLiteral("no such/mailer"));
        QTest::newRow("not executable") << m_dir.filePath(QStringLiteral("plain.txt"));
        QTest::newRow("folder") << m_dir.path();
    }
    void unusableTargetIsReported() {
        QFETCH(QString, target);
        QFile plain(m_dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();

        LauncherTable table = scriptTable();
        table[0].program = target;
        frmToroku window(DataFileLocation{}, nullptr, table);
        window.Form_Load();
        window.show();

        const QString message =
            clickAndReadMessage(control<QPushButton>(window, QStringLiteral("Command1")));
        QVERIFY2(message.contains(target), qPrintable(message));
        QVERIFY(window.isVisible());
        // A start that did happen would have logged by the time a later one has.
        QCOMPARE(clickAndReadMessage(control<QPushButton>(window, QStringLiteral("Command3"))),
                 QString());
        QTRY_COMPARE(loggedStarts(), QStringList{QStringLiteral("0 target2")});
    }
};

QTEST_MAIN(LaunchButtonsTest)
#include "tst_launch_buttons.moc"
