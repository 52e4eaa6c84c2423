#pragma once

// Every size rule and decoder budget, in one place for the run that plans memory and the worker
// that picks a decoder.

#include "shared/psd/psdheader.h"

#include <cstdint>
#include <string>

constexpr std::uint32_t MaxSidePsd = 30'000;
// libjpeg's limit, and so a PSB's here; DevIL calls exit() past it.
constexpr std::uint32_t MaxJpegSide = 65'500;
constexpr int MaxChannels = 56;
// The format's deepest sample; the header check's buffers follow a row's bytes.
constexpr int MaxDepth = 32;
constexpr std::uint64_t MaxDecodedSize = std::uint64_t(2) << 30;

// What is too large for any decoder, or "": more than 30,000 pixels a side in a PSD, more than
// a JPEG file takes (65,500) in a PSB, or more channels or bits than the format allows.
std::string TooLargeToRead(const PsdHeader &header);

// What is too large for a decoder that holds the whole picture, or "": a decoded size of
// 2 GiB or more, in the file's channels or as 8-bit RGB.
std::string TooLargeToHold(const PsdHeader &header);

// What the decoders that hold the whole picture may take: DevIL its image and a channel
// besides; ImageMagick what Debian's policy allows, which a process may only lower.
constexpr std::uint64_t DevilBudget = std::uint64_t(1) << 30;
constexpr std::uint32_t MagickMaxSide = 16'000;
constexpr std::uint64_t MagickMaxArea = std::uint64_t(128) << 20; // "128MP"

// What DevIL would hold: the picture in up to four channels, and one channel besides.
std::uint64_t DevilBytes(const PsdHeader &header);
bool BeyondMagick(const PsdHeader &header);
// Why ImageMagick would refuse it, or "": to rebuild it from its layers, or as it is stored.
std::string TooLargeForMagick(const PsdHeader &header, bool rebuild);
// The mode, depth and channels of a merged image the worker's streaming reader can take.
bool ReaderTakesShape(const PsdHeader &header);
// The header alone shows that no decoder will hold the whole picture: the worker streams it
// through its own reader, a few rows at a time, or refuses it.
bool BeyondTheDecoders(const PsdHeader &header);
