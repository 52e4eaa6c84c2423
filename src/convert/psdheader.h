#pragma once

// The fixed header at the front of every PSD and PSB file, and what the sections after it say
// about the merged image, read before any decoder sees the file: a damaged or hostile file must
// not decide how much memory a decoder asks for, nor lead a decoder's parser past its buffers.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

constexpr std::uint32_t MaxSidePsd = 30'000;
// libjpeg's limit, and so a PSB's here; DevIL calls exit() past it.
constexpr std::uint32_t MaxJpegSide = 65'500;
constexpr int MaxChannels = 56;
constexpr std::uint64_t MaxDecodedSize = std::uint64_t(2) << 30;

// The PSD colour modes that some decoder here takes as they are stored.
enum ColorMode { Grayscale = 1, Indexed = 2, Rgb = 3, Cmyk = 4, Lab = 9 };

// The colour channels of a mode: 1 grey, 4 CMYK, and 3 for RGB, Lab and the rest.
constexpr int ColourChannels(int colorMode)
{
    return colorMode == Grayscale ? 1 : colorMode == Cmyk ? 4 : 3;
}

struct PsdHeader {
    int version = 0; // 1 PSD, 2 PSB (large document format)
    int channels = 0;
    std::uint32_t height = 0;
    std::uint32_t width = 0;
    int depth = 0;     // bits per channel: 1, 8, 16 or 32
    int colorMode = 0; // 0 Bitmap, 1 Grayscale, 2 Indexed, 3 RGB, 4 CMYK, 7 Multichannel, ...
};

// nullopt when the file cannot be read or does not begin with a PSD or PSB header.
std::optional<PsdHeader> ReadPsdHeader(const std::string &path);

// The bytes of one row of a channel as stored.
std::size_t RowBytesOf(const PsdHeader &header);

// Bytes of the decoded image: width x height x channels x bytes per channel, where a 1-bit
// channel takes a whole byte once decoded. Saturates instead of wrapping.
std::uint64_t DecodedSizeEstimate(const PsdHeader &header);

// What is too large for any decoder, or "": more than 30,000 pixels a side in a PSD, more than
// a JPEG file takes (65,500) in a PSB, or more channels than the format allows.
std::string TooLargeToRead(const PsdHeader &header);

// How refusals name a picture's size: "W x H pixels".
std::string PixelsText(const PsdHeader &header);

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
// The mode, depth and channels of a merged image the worker's streaming reader can take.
bool ReaderTakesShape(const PsdHeader &header);
// The header alone shows that no decoder will hold the whole picture: the worker streams it
// through its own reader, a few rows at a time, or refuses it.
bool BeyondTheDecoders(const PsdHeader &header);

// What the colour mode data, image resources and layer sections say about the merged image.
struct PsdContents {
    // Empty when every section lies within the file and its own bounds; else what is broken.
    std::string damage;
    // Resource 1057: false when the writer calls the merged image a stand-in.
    bool hasRealComposite = true;
    // Such a stand-in is indeed blank (plain white), or its mode leaves no way to tell: some
    // writers call a real picture a stand-in.
    bool blankStandIn = false;
    // The writer resource 1057 names (non-ASCII as '?'), else the creator tool that the XMP
    // metadata (resource 1060) names, or "".
    std::string writer;
    // Resource 1039, the embedded ICC profile, as stored; empty when there is none.
    std::string iccProfile;
    // A negative layer count: the first channel after the colour ones is the merged image's
    // transparency.
    bool mergedTransparency = false;
    // Of the merged image data: 0 raw, 1 RLE, 2 and 3 ZIP.
    int compression = 0;
    // Where the merged image data begins, after its compression field.
    std::uint64_t imageDataOffset = 0;
};

// Walks every section up to the merged image data and checks that data is all there, and that
// every packed row of it unpacks to exactly its width.
PsdContents ReadPsdContents(const std::string &path, const PsdHeader &header);
