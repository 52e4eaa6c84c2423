#pragma once

// Every size rule and decoder budget, in one place for the run that plans memory and the worker
// that picks a decoder.

#include "shared/psd/psdheader.h"
#include "shared/result.h"

#include <cstdint>

constexpr std::uint32_t MaxSidePsd = 30'000;
// libjpeg's limit, and so a PSB's here; DevIL calls exit() past it.
constexpr std::uint32_t MaxJpegSide = 65'500;
constexpr int MaxChannels = 56;
// The format's deepest sample; the header check's buffers follow a row's bytes.
constexpr int MaxDepth = 32;
constexpr std::uint64_t MaxDecodedSize = std::uint64_t(2) << 30;

// Each check passes, or fails as TooLarge saying what is too large.

// For any decoder: more than 30,000 pixels a side in a PSD, more than a JPEG file takes
// (65,500) in a PSB, or more channels or bits than the format allows.
Result<> CheckSizeToRead(const PsdHeader &header);

// For a decoder that holds the whole picture: a decoded size of 2 GiB or more, in the file's
// channels or as 8-bit RGB.
Result<> CheckSizeToHold(const PsdHeader &header);

// What the decoders that hold the whole picture may take: DevIL its image and a channel
// besides; ImageMagick what Debian's policy allows, which a process may only lower.
constexpr std::uint64_t DevilBudget = std::uint64_t(1) << 30;
constexpr std::uint32_t MagickMaxSide = 16'000;
constexpr std::uint64_t MagickMaxArea = std::uint64_t(128) << 20; // "128MP"

// What DevIL would hold: the picture in up to four channels, and one channel besides.
std::uint64_t DevilBytes(const PsdHeader &header);
// For ImageMagick, to read the picture as it is stored.
Result<> CheckSizeForMagick(const PsdHeader &header);
// The mode, depth and channels of a merged image the worker's streaming reader can take.
bool ReaderTakesShape(const PsdHeader &header);
// The header alone shows that no decoder will hold the whole picture: the worker streams it
// through its own reader, a few rows at a time, or refuses it.
bool BeyondTheDecoders(const PsdHeader &header);
