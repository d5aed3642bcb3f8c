#pragma once

#include <QObject>
#include <QWidget>

#include <functional>

// Runs an event handler of the window so that nothing it throws reaches Qt's event loop: the
// user is told, in Japanese and over the window, that the action could not be finished, and
// the program keeps running.
void runGuarded(QWidget *window, const std::function<void()> &handler);

// Connects a control's signal to one of the window's event handlers, run guarded.
template <typename Sender, typename Signal, typename Window>
void connectHandler(Sender *sender, Signal signal, Window *window, void (Window::*handler)()) {
    QObject::connect(sender, signal, window,
                     [window, handler] { runGuarded(window, [&] { (window->*handler)(); }); });
}
