#pragma once

#include "data_file_location.h"
#include "result.h"

#include <QByteArrayView>
#include <QString>

// The data file's folder and the file itself as the operating system gives them: the one
// part of reading and appending written once for each platform (data_folder_linux.cpp,
// data_folder_win.cpp). Each call answers with a DataError that names the place and gives
// the system's reason.

#ifdef Q_OS_WIN
using NativeHandle = void *; // a HANDLE
inline constexpr NativeHandle kNoHandle = nullptr;
#else
using NativeHandle = int; // a file descriptor
inline constexpr NativeHandle kNoHandle = -1;
#endif

// A handle that is closed on every way out.
class UniqueHandle {
public:
    explicit UniqueHandle(NativeHandle handle = kNoHandle)
        : m_handle(handle) {}
    UniqueHandle(UniqueHandle &&other) noexcept
        : m_handle(std::exchange(other.m_handle, kNoHandle)) {}
    UniqueHandle &operator=(UniqueHandle &&other) noexcept {
        reset(std::exchange(other.m_handle, kNoHandle));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    NativeHandle get() const { return m_handle; }
    bool valid() const { return m_handle != kNoHandle; }
    void reset(NativeHandle handle = kNoHandle);

private:
    NativeHandle m_handle;
};

// Makes a file size limit show up as a failed append the user is told about, not as a
// killed program. Called once at start-up.
void reportFileSizeLimitAsError();

// Whether the user may add to the file, or make it where it is missing.
bool mayWrite(const QString &path);

// The data file, or a file beside it, open for one read or one append.
class DataFile {
public:
    DataFile(UniqueHandle handle, QString name, QString path, qint64 size, bool created = false)
        : m_handle(std::move(handle))
        , m_name(std::move(name))
        , m_path(std::move(path))
        , m_size(size)
        , m_created(created) {}

    const QString &name() const { return m_name; } // in its folder
    const QString &path() const { return m_path; }
    NativeHandle handle() const { return m_handle.get(); }
    // Its size when it was opened: what it is read in one pass at, if it has not grown.
    qint64 sizeWhenOpened() const { return m_size; }
    // Made by the append that opened it, which removes it again if it fails.
    bool created() const { return m_created; }

    // Up to `length` bytes from `offset`; fewer only at the end of the file.
    Result<qsizetype> read(qint64 offset, char *into, qsizetype length) const;
    // All the bytes at the end of the file in one write, or an error saying why not.
    Status append(QByteArrayView bytes) const;
    Status truncate(qint64 size) const;
    // Returns once what was written has reached the disk.
    Status flush() const;
    // Group and others lose every right to it (POSIX; Windows leaves that to its access lists).
    void makePrivate() const;
    void close() { m_handle.reset(); }

private:
    UniqueHandle m_handle;
    QString m_name;
    QString m_path;
    qint64 m_size;
    bool m_created;
};

// The folder that holds the data file, held open for one read or one append, during which
// no other copy of the program appends.
class DataFolder {
public:
    enum class Access { Read, Append };

    // Opens the folder of the data file, checking that no one but the user could have put it
    // or anything on the way there. For an append, the program's own folder is made when
    // missing. A folder that is not there is FolderMissing.
    static Result<DataFolder> open(const DataFileLocation &location, Access access);

    // The folder really reached: a ".." on the way taken as the system takes it.
    const QString &path() const { return m_path; }
    QString filePath(const QString &name) const;
    // The program's own folder loses every right of group and others (POSIX); any other is
    // left as it is.
    void makePrivate() const;

    // Opens the data file; an append creates it, owner-only, when missing.
    Result<DataFile> openDataFile() const;
    // A new file, the user's alone, of a name not yet in the folder.
    Result<DataFile> createFile(const QString &name) const;
    bool contains(const QString &name) const;
    void remove(const QString &name) const;
    // Removes the data file that openDataFile() created, while it is still open.
    void remove(const DataFile &created) const;
    // Puts the file of that name in the data file's place in one step (flush() then has that
    // reach the disk). The data file, open for an append, is closed first (Windows cannot
    // replace a file it holds open); on failure it is where it was and the other file is left
    // for the caller.
    Status replaceDataFile(const QString &name, DataFile &dataFile) const;
    // Gives the file `from` the name `to` in one step, unless a file of that name is there
    // already, which is then left as it is (and `from` too).
    Status moveUnlessThere(const QString &from, const QString &to) const;
    // Returns once the names of the files made in the folder have reached the disk.
    Status flush() const;

private:
    DataFolder(UniqueHandle handle, QString path, QString fileName, Access access, bool own)
        : m_handle(std::move(handle))
        , m_path(std::move(path))
        , m_fileName(std::move(fileName))
        , m_access(access)
        , m_own(own) {}

    UniqueHandle m_handle;
    QString m_path;
    QString m_fileName; // the data file's name in the folder
    Access m_access;
    bool m_own; // the program's own folder, which it made
};
