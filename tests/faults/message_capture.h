#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

struct ShownMessage {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int count = 0;
};

// Runs the action and answers every message box it opens, keeping the last one's text.
inline ShownMessage messagesDuring(const std::function<void()> &action) {
    ShownMessage shown;
    QTimer poll; // ends with this function, so it never outlives what it captures
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown.text = box->text();
            shown.icon = box->icon();
            ++shown.count;
            box->done(QMessageBox::Ok);
        }
    });
    poll.start(0);
    action();
    return shown;
}
