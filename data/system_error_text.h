#pragma once

#include <QString>

// The reason behind an operating system error code, in Japanese where it is a common one.
QString systemErrorText(int code);
