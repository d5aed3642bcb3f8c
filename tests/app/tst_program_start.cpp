#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Starts the real program on an X server of its own, as a user would.
class TestProgramStart : public QObject {
    Q_OBJECT
private slots:
    void showsItsWindowAndEndsOnExit() {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("Xvfb and xdotool are needed to give the program a display of its own");

        QProcess server;
        server.start(QStringLiteral("Xvfb"),
                     {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "800x600x24"});
        // Xvfb names the free display it took once it accepts clients.
        QVERIFY(server.waitForReadyRead(30000));
        QTemporaryDir dataHome;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", ':' + QString::fromLatin1(server.readLine()).trimmed());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("XDG_DATA_HOME", dataHome.path());
        environment.insert("LSAN_OPTIONS", "suppressions=" PELLINOVA_LEAK_SUPPRESSIONS);
        const auto xdotool = [&](const QStringList &arguments) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(QStringLiteral("xdotool"), arguments);
            if (!process.waitForFinished(60000))
                process.kill();
            return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        };

        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(PELLINOVA_PROGRAM), {});
        QVERIFY(program.waitForStarted());
        const QString window =
            xdotool({"search", "--sync", "--onlyvisible", "--name", "^Pellinova Ver1\\.21$"});
        QVERIFY2(!window.isEmpty(), "the address list window did not map");
        QVERIFY2(QDir(dataHome.path()).isEmpty(), "nothing is read or made before Open");

        // 終了, at the middle of its place in the window.
        xdotool({"mousemove", "--window", window, "464", "316", "click", "1"});
        QVERIFY(program.waitForFinished(30000));
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                 program.readAllStandardError().constData());
        server.terminate();
        QVERIFY(server.waitForFinished(30000));
    }
};

QTEST_GUILESS_MAIN(TestProgramStart)
#include "tst_program_start.moc"
