#pragma once

class QWidget;

// A window of a fixed size, kept at it whatever a Wayland compositor asks. Weston maximizes any
// window from its frame's button or Super+M and disconnects a client that then keeps another
// size than it was given; so under Wayland the window lets go of its fixed size once shown,
// takes what it is given, and at once asks back for its own state and size. Elsewhere the
// window manager honours the fixed size, and nothing is done.
void keepOwnSize(QWidget *window);
