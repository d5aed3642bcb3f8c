#include "data_file_io.h"

#include "data_file_size.h"
#include "data_folder.h"

#include <QDateTime>

namespace {

using Kind = DataError::Kind;

// The whole file from its start; never more than an address book can hold, however large
// the file is or grows while it is read.
Result<QByteArray> readWhole(const DataFile &file) {
    const qint64 size = file.sizeWhenOpened();
    const auto tooBig = [&](qint64 bytes) {
        return DataError{.kind = Kind::FileTooBig, .path = file.path(), .bytes = bytes};
    };
    if (size > kMaxDataFileBytes)
        return tooBig(size);

    // One byte more than the size, so that a file that has not grown is read in one pass.
    QByteArray bytes(qsizetype(size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > kMaxDataFileBytes)
                return tooBig(used);
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, kMaxDataFileBytes + 1));
        }
        const qsizetype wanted = bytes.size() - used;
        const auto read = file.read(used, bytes.data() + used, wanted);
        if (!read.ok())
            return read.error();
        used += read.value();
        if (read.value() < wanted) // the end of the file
            break;
    }
    bytes.truncate(used);
    return bytes;
}

// A new owner-only file of that name in the folder holding the bytes, on the disk; none if
// that fails.
Status writeNewFile(const DataFolder &folder, const QString &name, QByteArrayView bytes) {
    auto file = folder.createFile(name);
    if (!file.ok())
        return file.error();
    Status written = file.value().append(bytes);
    if (written.ok())
        written = file.value().flush();
    if (!written.ok())
        folder.remove(name);
    return written;
}

// Copies the bytes to a new owner-only file beside the data file, named after it, what they
// are and the time, and has it and its name reach the disk; the data file is not touched.
// Returns the new file's name.
Result<QString> setAside(const DataFolder &folder, const QString &dataFileName, const QString &what,
                         QByteArrayView bytes) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = QStringLiteral("%1.%2-%3").arg(dataFileName, what, stamp);
    QString name = base;
    for (int attempt = 2; folder.contains(name) && attempt <= 100; ++attempt)
        name = QStringLiteral("%1-%2").arg(base).arg(attempt);

    Status written = writeNewFile(folder, name, bytes);
    if (written.ok())
        written = folder.flush();
    if (!written.ok()) {
        folder.remove(name);
        return DataError{
            .kind = Kind::CannotSetAside, .path = folder.path(), .detail = written.error().detail};
    }
    return name;
}

// Sets the whole file aside, then writes the new bytes under a passing name and puts them in
// its place in one step. On failure the data file is where and as it was, and the copy is not
// kept.
AppendResult replaceWhole(const DataFolder &folder, DataFile &file, QByteArrayView before,
                          QByteArrayView bytes) {
    const auto aside = setAside(folder, file.name(), QStringLiteral("utf8"), before);
    if (!aside.ok())
        return aside.error();
    const Status replaced = writeInPlace(folder, file.name(), bytes, [&](const QString &passing) {
        return folder.replaceDataFile(passing, file);
    });
    if (replaced.ok())
        return Appended{folder.filePath(aside.value()), true};
    folder.remove(aside.value());
    return replaced.error();
}

} // namespace

Status writeInPlace(const DataFolder &folder, const QString &name, QByteArrayView bytes,
                    const std::function<Status(const QString &passing)> &putInPlace) {
    const QString passing = name + QStringLiteral(".new");
    folder.remove(passing);
    Status written = writeNewFile(folder, passing, bytes);
    if (written.ok())
        written = putInPlace(passing);
    if (written.ok())
        written = folder.flush();
    folder.remove(passing); // when it failed, or a file already in place was kept
    return written;
}

Result<QByteArray> readDataFile(const DataFileLocation &location) {
    // No folder for the book yet: however the system finds that out, the book is empty.
    const auto missing = [&](const DataError &error) -> Result<QByteArray> {
        if (error.kind == Kind::FolderMissing)
            return DataError{.kind = Kind::FileMissing, .path = location.path};
        return error;
    };
    const auto folder = DataFolder::open(location, DataFolder::Access::Read);
    if (!folder.ok())
        return missing(folder.error());
    const auto file = folder.value().openDataFile();
    if (!file.ok())
        return missing(file.error());
    return readWhole(file.value());
}

AppendResult appendToDataFile(const DataFileLocation &location,
                              const std::function<Result<AppendPlan>(QByteArrayView)> &decide) {
    const auto opened = DataFolder::open(location, DataFolder::Access::Append);
    if (!opened.ok())
        return opened.error();
    const DataFolder &folder = opened.value();
    auto opening = folder.openDataFile();
    if (!opening.ok())
        return opening.error();
    DataFile &file = opening.value();
    const auto refuse = [&](const DataError &error) -> AppendResult {
        if (file.created())
            folder.remove(file);
        return error;
    };

    const auto existing = readWhole(file);
    if (!existing.ok())
        return refuse(existing.error());
    const QByteArray &before = existing.value();
    const auto decision = decide(before);
    if (!decision.ok())
        return refuse(decision.error());
    const AppendPlan &plan = decision.value();
    folder.makePrivate();
    file.makePrivate();
    if (plan.replace)
        return replaceWhole(folder, file, before, plan.bytes);
    const QByteArrayView tail = QByteArrayView(before).sliced(plan.keep);

    // The cut-off bytes are safe in a file of their own before the data file loses them.
    QString aside;
    if (!tail.isEmpty()) {
        auto copied = setAside(folder, file.name(), QStringLiteral("broken"), tail);
        if (!copied.ok())
            return copied.error();
        aside = copied.value();
        if (Status cut = file.truncate(plan.keep); !cut.ok()) {
            folder.remove(aside);
            return cut.error();
        }
    }

    Status written = tail.isEmpty() ? Status() : file.flush();
    if (written.ok())
        written = file.append(plan.bytes);
    if (written.ok())
        written = file.flush();
    if (written.ok()) {
        if (file.created()) // a new file's name reaches the disk with its folder
            (void)folder.flush();
        return Appended{aside.isEmpty() ? QString() : folder.filePath(aside)};
    }

    // Back as it was: the kept bytes and the tail, whose copy is then not needed.
    DataError error = written.error();
    error.fileChanged = !file.truncate(plan.keep).ok() ||
                        (!tail.isEmpty() && !(file.append(tail).ok() && file.flush().ok()));
    if (error.fileChanged)
        return error;
    if (!aside.isEmpty())
        folder.remove(aside);
    return refuse(error);
}
