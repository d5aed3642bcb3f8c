#pragma once

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStringEncoder>
#include <QStringList>
#include <QTimer>

#include <functional>

// A file's bytes, or "(none)" when it cannot be read, so that a missing file and an empty
// one compare differently.
inline QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

inline bool writeFile(const QString &path, const QByteArray &bytes,
                      QIODevice::OpenMode mode = QIODevice::Truncate) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | mode) && file.write(bytes) == bytes.size();
}

// Data file lines for the records, encoded here so that no test relies on the program's writer.
inline QByteArray shiftJisLines(const QList<QStringList> &records) {
    QString text;
    for (const QStringList &fields : records)
        text += u'"' + fields.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
    return QStringEncoder("windows-31j").encode(text);
}

// Runs the action; each modal window it opens is handed to seen, then closed.
inline void whileModal(const std::function<void()> &action,
                       const std::function<void(QWidget *)> &seen) {
    QTimer poll; // ends with this function, so it never outlives what it captures
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        seen(modal);
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            box->done(QMessageBox::Ok);
        else
            modal->close();
    });
    poll.start(0);
    action();
}

struct ShownMessage {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int count = 0;
};

// Runs the action and answers every message box it opens, keeping the last one.
inline ShownMessage messagesDuring(const std::function<void()> &action) {
    ShownMessage shown;
    whileModal(action, [&](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            shown.text = box->text();
            shown.icon = box->icon();
            ++shown.count;
        }
    });
    return shown;
}

template <typename Control = QWidget>
Control *child(const QObject &parent, const QString &objectName) {
    auto *found = parent.findChild<Control *>(objectName);
    if (!found)
        qFatal("no control %s", qPrintable(objectName));
    return found;
}
