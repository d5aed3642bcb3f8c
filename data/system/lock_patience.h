#pragma once

#include <functional>

// Another copy of the program holds the data file for the few milliseconds an append takes;
// one that holds it longer is stuck, and the user is told rather than kept waiting. Each
// platform only says how to try its lock once.
enum class Attempt {
    Done, // got it, or failed for a reason that waiting does not change
    Held, // another holds it: worth trying again
};

// Tries again every few milliseconds while the attempt finds the lock held, for 0.4 s at most;
// whether it was done.
bool patiently(const std::function<Attempt()> &attempt);
