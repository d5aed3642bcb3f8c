#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStringEncoder>
#include <QStringList>
#include <QTimer>

#include <functional>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

// A file's bytes, or "(none)" when it cannot be read, so that a missing file and an empty
// one compare differently.
inline QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

inline bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Data file lines for the records, encoded here so that no test relies on the program's writer.
inline QByteArray shiftJisLines(const QList<QStringList> &records) {
    QString text;
    for (const QStringList &fields : records)
        text += u'"' + fields.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
#ifdef Q_OS_WIN // Qt for Windows converts through ICU only when built with it
    QByteArray bytes(2 * text.size(), Qt::Uninitialized); // two bytes at most for each unit
    bytes.resize(::WideCharToMultiByte(932, 0, reinterpret_cast<const wchar_t *>(text.utf16()),
                                       int(text.size()), bytes.data(), int(bytes.size()), nullptr,
                                       nullptr));
    return bytes;
#else
    return QStringEncoder("windows-31j").encode(text);
#endif
}

struct ShownMessage {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int count = 0;             // message boxes answered
    QStringList buttons;       // the buttons' texts, of every message box in turn
    QWidget *window = nullptr; // the last modal window of any kind
};

// Runs the action and closes every modal window it opens, answering each message box with
// the button given, and keeps the last message box's text.
inline ShownMessage messagesDuring(const std::function<void()> &action,
                                   QMessageBox::StandardButton answer = QMessageBox::Ok) {
    ShownMessage shown;
    QWidget *const alreadyOpen = QApplication::activeModalWidget();
    QTimer poll; // ends with this function, so it never outlives what it captures
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == alreadyOpen)
            return;
        shown.window = modal;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            shown.text = box->text();
            shown.icon = box->icon();
            for (const QAbstractButton *button : box->buttons())
                shown.buttons << button->text();
            ++shown.count;
            box->done(answer);
        } else {
            modal->close();
        }
    });
    poll.start(0);
    action();
    return shown;
}

template <typename Control = QWidget>
Control *child(const QObject &parent, const QString &objectName) {
    auto *found = parent.findChild<Control *>(objectName);
    if (!found)
        qFatal("no control %s", qPrintable(objectName));
    return found;
}
