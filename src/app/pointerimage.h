#pragma once

#include <QCursor>
#include <QString>

#include <optional>

// A pointer from a cursor (.cur) or icon (.ico) file. A cursor file names its hot spot; an
// icon's hot spot is its centre. Nothing when the file cannot be read as an image.
std::optional<QCursor> LoadPointerImage(const QString &path);
