#include "data_file_io.h"

#include "data_file_size.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// On Windows the data file stays where it always was, in a folder of the machine's, so there
// is no per-user folder to check or lock: two copies of the program are not guarded against.

namespace {

using Kind = DataError::Kind;

DataError failure(Kind kind, const QString &path, const QFileDevice &file) {
    return DataError{.kind = kind, .path = path, .detail = file.errorString()};
}

DataError tooBig(const QString &path, qint64 bytes) {
    return DataError{.kind = Kind::FileTooBig, .path = path, .bytes = bytes};
}

} // namespace

void reportFileSizeLimitAsError() {} // Windows sends no signal for it

FileBytes readDataFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, DataError{.kind = Kind::FileMissing, .path = path}};
    if (!info.isFile())
        return {{}, DataError{.kind = Kind::NotAFile, .path = path}};
    if (info.size() > kMaxDataFileBytes)
        return {{}, tooBig(path, info.size())};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, failure(Kind::CannotOpen, path, file)};
    QByteArray bytes = file.read(kMaxDataFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {{}, failure(Kind::ReadFailed, path, file)};
    if (bytes.size() > kMaxDataFileBytes)
        return {{}, tooBig(path, bytes.size())};
    return {bytes, std::nullopt};
}

AppendResult appendToDataFile(const DataFileLocation &location,
                              const std::function<AppendDecision(QByteArrayView)> &decide) {
    const QString &path = location.path;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (location.folders == FolderCreation::MustExist)
            return {DataError{.kind = Kind::FolderMissing, .path = folder}};
        if (!QDir().mkpath(folder))
            return {DataError{.kind = Kind::CannotCreateFolder, .path = folder}};
    }
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return {failure(Kind::CannotOpen, path, file)};
    const auto refuse = [&](const DataError &error) -> AppendResult {
        if (!existed)
            file.remove();
        return {error};
    };
    if (file.size() > kMaxDataFileBytes)
        return refuse(tooBig(path, file.size()));
    const QByteArray before = file.readAll();
    const AppendDecision decision = decide(before);
    if (const auto *refused = std::get_if<DataError>(&decision))
        return refuse(*refused);
    const AppendPlan &plan = std::get<AppendPlan>(decision);
    const QByteArray tail = before.mid(plan.keep);

    QString aside;
    if (!tail.isEmpty()) {
        aside = path + QStringLiteral(".broken-") +
                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QFile copy(aside);
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
            copy.write(tail) != tail.size() || !copy.flush()) {
            const DataError error = failure(Kind::CannotSetAside, folder, copy);
            copy.remove();
            return {error};
        }
        if (!file.resize(plan.keep)) {
            QFile::remove(aside);
            return {failure(Kind::WriteFailed, path, file)};
        }
    }
    if (file.seek(plan.keep) && file.write(plan.bytes) == plan.bytes.size() && file.flush())
        return {std::nullopt, aside};

    DataError error = failure(Kind::WriteFailed, path, file);
    error.fileChanged = !file.resize(plan.keep) ||
                        (!tail.isEmpty() && !(file.seek(plan.keep) &&
                                              file.write(tail) == tail.size() && file.flush()));
    if (error.fileChanged)
        return {error};
    if (!aside.isEmpty())
        QFile::remove(aside);
    return refuse(error);
}
