#pragma once

#include <QByteArray>
#include <QString>

class QImage;
class QTemporaryDir;

// Small helpers shared by the tests that convert files.

// A small, valid 8-bit RGB PSD whose pixels differ across the picture.
QByteArray SmallPsd(int width = 8, int height = 6);
// Writes bytes to a file in dir; returns its path, or "" when writing failed.
QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes);
// An executable script in dir that runs prelude in sh, then becomes the real worker with the
// arguments "$@" holds then.
QString WorkerScript(const QTemporaryDir &dir, const QByteArray &prelude);
// Peak signal-to-noise ratio of two pictures in dB over their RGB samples: infinity when
// they are the same, 0 when their sizes differ. Columns within 2 of edge are left out: 4:2:0
// chroma smears colour across a sharp edge.
double PsnrDb(const QImage &a, const QImage &b, int edge = -10);
// The PSNR of a converted JPEG file against a reference PNG put through the converter's JPEG
// settings (quality 99, 4:2:0) into `scratch`; -1 when there is no reference to score by.
double ReferenceDb(const QString &jpeg, const QString &reference, const QString &scratch);
// The bytes of an ICC profile that a Debian package installs (libgs-common's, such as
// "default_cmyk.icc", "a98.icc", "srgb.icc"), or "" when it is not installed.
QByteArray SystemProfile(const QString &name);

// Names as raw bytes, which need not be UTF-8 (QFile would name another file):
// makes a file holding contents, or a folder when the path ends in "/", with its parents.
bool MakeByBytes(const QByteArray &path, const QByteArray &contents = QByteArray());
// Removes everything below root whatever its names, which QTemporaryDir cannot.
void RemoveBelow(const QByteArray &root);
