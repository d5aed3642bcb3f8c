#include "test_platform.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <windows.h>

// Windows holds no process to a file size limit, nor an administrator past access rights.
void limitFileSize(qint64) {}

bool setModeBitOverrides(bool) {
    return true;
}

bool hasMode(const QString &, int) {
    return true;
}

// Wine keeps no access lists: it goes by mode bits, set here with Linux's own chmod, which Wine
// starts like any program but cannot wait for, and which bind only an ordinary user.
bool setClosed(const QString &folder, bool closed) {
    QProcess::startDetached(QStringLiteral("/bin/chmod"),
                            {closed ? "a-w" : "u+w", ".", "Tovrin.txt"}, folder);
    return QTest::qWaitFor(
        [&] {
            QFile probe(folder + QStringLiteral("/probe"));
            const bool writable = probe.open(QIODevice::WriteOnly | QIODevice::NewOnly);
            probe.remove();
            return writable != closed;
        },
        5000);
}

UniqueHandle holdAsAppending(const QString &path) {
    return UniqueHandle(::CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(),
                                      GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

// Wine cannot mount: wine-run.sh maps a small tmpfs as a drive of its own when it can.
QString mountSmallDisk(const QString &, int serial) {
    const QString drive = qEnvironmentVariable("PELLINOVA_SMALL_DRIVE");
    const QString folder = drive + QStringLiteral("/%1").arg(serial);
    return !drive.isEmpty() && QDir().mkpath(folder) ? folder : QString();
}

bool remountReadOnly(const QString &) {
    return false;
}

void unmountSmallDisk(const QString &folder) {
    QDir(folder).removeRecursively();
}
