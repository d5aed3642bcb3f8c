#pragma once

// What the benchmarks' floors do with the system's own calls, on Linux and on Windows.

#include <QByteArray>
#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>

#include <psapi.h> // after windows.h, whose types it uses
#else
#include <QFile>
#include <QStringDecoder>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// The text of code page 932 bytes, through the platform's converter in one piece.
inline QString decodeCodePage932(const QByteArray &bytes) {
#ifdef Q_OS_WIN
    QString text(bytes.size(), Qt::Uninitialized);
    text.truncate(::MultiByteToWideChar(932, 0, bytes.constData(), int(bytes.size()),
                                        reinterpret_cast<wchar_t *>(text.data()),
                                        int(text.size())));
    return text;
#else
    return QStringDecoder("windows-31j").decode(bytes);
#endif
}

// The file's bytes, read with the system's own calls; empty if it cannot be read.
inline QByteArray readWholeFile(const QString &path) {
#ifdef Q_OS_WIN
    const HANDLE file =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ,
                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    QByteArray bytes;
    DWORD read = 0;
    if (file != INVALID_HANDLE_VALUE && ::GetFileSizeEx(file, &size)) {
        bytes.resize(qsizetype(size.QuadPart));
        if (!::ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr))
            read = 0;
        bytes.truncate(read);
    }
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return bytes;
#else
    QByteArray bytes;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0) {
        bytes.resize(qsizetype(info.st_size));
        const ssize_t n = ::read(fd, bytes.data(), size_t(bytes.size()));
        bytes.truncate(n < 0 ? 0 : qsizetype(n));
    }
    if (fd >= 0)
        ::close(fd);
    return bytes;
#endif
}

// Appends the bytes to the file in one write and has them reach the disk; false on failure.
inline bool appendAndSync(const QString &path, const QByteArray &bytes) {
#ifdef Q_OS_WIN
    const HANDLE file =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), FILE_APPEND_DATA, 0, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ::WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
                    written == DWORD(bytes.size()) && ::FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return ok;
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND);
    const bool ok = fd >= 0 &&
                    ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() &&
                    ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
#endif
}

// The most memory the process has held, in MB.
inline double peakMemoryMB() {
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.PeakWorkingSetSize) / (1024 * 1024);
#else
    // This process's own peak: getrusage() would report the larger one of the process it was
    // started from, which Linux carries over an exec.
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
#endif
}
