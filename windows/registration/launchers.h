#pragma once

#include <QString>

#include <array>
#include <optional>

// A launch button: its caption, the kind of program it starts (for screen readers), and the
// program, started with no arguments.
struct Launcher {
    QString caption;
    QString kind;
    QString program;
};

using LauncherTable = std::array<Launcher, 3>;

inline const QString kMailProgram = QStringLiteral("メールのプログラム");
inline const QString kWebBrowser = QStringLiteral("Web ブラウザー");
inline const QString kMessenger = QStringLiteral("メッセンジャー");

// What a screen reader says the button does: the kind of program and where it is.
QString launchDescription(const Launcher &launcher);

// The mail program, the web browser and the ICQ client, in button order.
LauncherTable defaultLaunchers();

// Starts the launcher's program without waiting for it. On failure, returns a Japanese
// message that names the program's path; nothing else is tried.
[[nodiscard]] std::optional<QString> launch(const Launcher &launcher);
