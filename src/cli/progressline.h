#pragma once

#include <QString>

// The line a terminal shows during a batch, redrawn in place:
// "37/1000 (3.7 %), 12.5 files/s, 1:17 left". Rate and time left wait for the first file.
class ProgressLine
{
public:
    static QString Text(int done, int total, double seconds);
    // m:ss, or h:mm:ss from an hour on.
    static QString Duration(double seconds);
};
