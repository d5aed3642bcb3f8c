#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QStringEncoder>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>
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

// Data file lines for the records, encoded here so that no test relies on the program's writer:
// in Shift-JIS, or in UTF-8 as a text editor may save the book again.
inline QString bookText(const QList<QStringList> &records) {
    QString text;
    for (const QStringList &fields : records)
        text += u'"' + fields.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
    return text;
}

inline QByteArray utf8Lines(const QList<QStringList> &records) {
    return bookText(records).toUtf8();
}

inline QByteArray shiftJisLines(const QList<QStringList> &records) {
    const QString text = bookText(records);
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
    QSize size;                // of the last message box, as shown
};

// Runs the action and closes every modal window it opens, answering a question by pressing
// the key given on it and any other message box with OK, and keeps the last message box's
// text.
using Answer = std::optional<Qt::Key>;
inline ShownMessage messagesDuring(const std::function<void()> &action, Answer key = {}) {
    ShownMessage shown;
    QWidget *const alreadyOpen = QApplication::activeModalWidget();
    QPointer<QWidget> answered; // a key's press closes its box a moment later
    QTimer poll;                // ends with this function, so it never outlives what it captures
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == alreadyOpen || modal == answered)
            return;
        shown.window = modal;
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        shown.text = box->text();
        shown.icon = box->icon();
        shown.size = box->frameGeometry().size();
        for (const QAbstractButton *button : box->buttons())
            shown.buttons << button->text();
        ++shown.count;
        if (key && box->button(QMessageBox::Yes)) {
            answered = box;
            QTest::keyClick(box, *key);
        } else {
            box->done(QMessageBox::Ok);
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
