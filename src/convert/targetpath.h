#pragma once

#include <QString>

// Where the JPEG of a source goes: the source's folder (its short form), the base name, ".jpg".
// Empty when the folder is gone: nothing may ever be written relative to the current folder.
QString TargetPathOf(const QString &source);
