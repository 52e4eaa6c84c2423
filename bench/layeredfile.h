#pragma once

#include <QString>

// A layered RGB 8-bit PSB of `width` x `height` whose merged image is a plain white stand-in,
// so that the picture is rebuilt from its layers: an opaque page, a partly transparent patch
// with a layer mask, a multiply layer, and a masked pass-through group holding one layer.
// All RLE; written a row at a time, so that it never sits in memory whole.
bool WriteLayeredFile(const QString &path, int width, int height);
