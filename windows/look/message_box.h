#pragma once

#include <QString>

class QWidget;

// Tells the user something in a message box over the window, titled with the program's name,
// and returns when it is dismissed.
enum class Tone { Information, Warning };
void tellUser(QWidget *window, Tone tone, const QString &text);

// Asks the user a question over the window, to be answered はい (Y) or いいえ (N); true for
// はい. いいえ is the default, so that Enter alone changes nothing.
bool askUser(QWidget *window, const QString &text);
