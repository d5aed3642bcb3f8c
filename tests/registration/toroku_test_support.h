#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

// Runs the action; if it opens a message box, returns the box's text and closes it.
// Returns an empty text when no message box opened.
inline QString messageDuring(const std::function<void()> &action) {
    QString text;
    QTimer poll; // ends with this function, so it never outlives the captured text
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            text = box->text();
            poll.stop();
            box->done(QMessageBox::Ok);
        }
    });
    poll.start(0);
    action();
    return text;
}

inline QString clickAndReadMessage(QAbstractButton *button) {
    return messageDuring([button] { QTest::mouseClick(button, Qt::LeftButton); });
}

template <typename Control> Control *control(const QWidget &window, const QString &objectName) {
    auto *found = window.findChild<Control *>(objectName);
    if (!found)
        qFatal("no control %s", qPrintable(objectName));
    return found;
}
