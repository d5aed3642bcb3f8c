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
    // The kind of address ("mailto", "http") whose default program the system starts instead
    // when the program is missing; empty: none, the user is told.
    QString standInFor = {};
};

using LauncherTable = std::array<Launcher, 3>;

inline const QString kMailProgram = QStringLiteral("メールのプログラム");
inline const QString kWebBrowser = QStringLiteral("Web ブラウザー");
inline const QString kMessenger = QStringLiteral("メッセンジャー");

// What a screen reader says the button does: the kind of program and where the one that
// will start is, or that it is missing.
QString launchDescription(const Launcher &launcher);

// The program registered with the system as the default for the kind of address, or nothing.
QString defaultProgramFor(const QString &scheme);

// The mail program, the web browser and the ICQ client, in button order.
LauncherTable defaultLaunchers();

// Starts the launcher's program, or where it is missing the system's default for its kind,
// without waiting for it. On failure, returns a Japanese message that names the program's path.
[[nodiscard]] std::optional<QString> launch(const Launcher &launcher);
