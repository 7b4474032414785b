// The fatal errors of the growable arrays, each message in one place.  Each
// prints its line on standard error and ends in fatalExit().

#ifndef ARRAYERRORS_H
#define ARRAYERRORS_H

// "Error: accessing invalid array location " index " Maximum is " size - 1
[[noreturn]] void arrayIndexError(long anIndex, long aSize);

// "Error: Maximum size allowed for array exceeded."
[[noreturn]] void arrayMaximumExceeded();

// "Error: cannot set allocated size smaller than actual size."
[[noreturn]] void arrayStorageBelowSize();

#endif
