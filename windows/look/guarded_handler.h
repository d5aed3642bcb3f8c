#pragma once

#include <QString>

#include <functional>

// Runs an event handler so that nothing it throws reaches Qt's event loop: the user is told,
// in Japanese, that the action could not be finished, and the program keeps running.
void runGuarded(const std::function<void()> &handler,
                const std::function<void(const QString &)> &report);
