#pragma once

#include <QString>

#include <array>
#include <optional>

// A launch button: its caption and the program it starts, with no arguments.
struct Launcher {
    QString caption;
    QString program;
};

using LauncherTable = std::array<Launcher, 3>;

// The mail program, the web browser and the ICQ client, in button order.
LauncherTable defaultLaunchers();

// Starts the launcher's program without waiting for it. On failure, returns a Japanese
// message that names the program's path; nothing else is tried.
[[nodiscard]] std::optional<QString> launch(const Launcher &launcher);
