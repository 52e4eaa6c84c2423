#pragma once

#include <QStringList>

// Converts every .psd and .psb file directly inside a folder through the run the button uses,
// and with --baseline through a bare DevIL loop and ImageMagick too.
int RunConvertBench(const QStringList &args);
