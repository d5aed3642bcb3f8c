#pragma once

// Makes screen readers see the windows as what they are: the address list window as a frame
// (a plain QWidget otherwise reads as a filler), each drop-down list by its own name whatever
// it holds, its text being its value (Qt on Linux names an editable one after its text), and
// each list box labelled by its label (Qt's own table interface relates none). Called once,
// after the QApplication is made.
void installAccessibleInterfaces();
