#pragma once

#include <QStringList>

// --make-large DIR: writes the large-format files of the memory benchmark, each in a folder
// of its own so that the run's figures are its alone:
//   DIR/poster/poster.psb        20,000 x 20,000 RGB
//   DIR/panorama/panorama.psb    60,000 x 8,000 RGB
//   DIR/square/square.psd        26,000 x 26,000 RGB, which DevIL reads too
//   DIR/layered/layered.psb      20,000 x 20,000 RGB, rebuilt from its layers
// All 8-bit RLE, with diagonal bands of 16-pixel runs: a few hundred MB each, and real work
// for the JPEG encoder. Then `quillmere-bench --workers 1 [--baseline] DIR/poster` and so on.
int MakeLargeFiles(const QStringList &args);
