#include "worker/metadata/exifsegment.h"

#include "worker/metadata/exivwatch.h"

#include <exiv2/exiv2.hpp>

#include <array>

namespace
{

constexpr std::string_view ExifHeader{"Exif\0\0", 6};

// Tags of an uncompressed picture's layout, which a JPEG file's EXIF must not have.
constexpr std::array NotInJpeg{"Exif.Image.NewSubfileType",
                               "Exif.Image.ImageWidth",
                               "Exif.Image.ImageLength",
                               "Exif.Image.BitsPerSample",
                               "Exif.Image.Compression",
                               "Exif.Image.SamplesPerPixel",
                               "Exif.Image.StripOffsets",
                               "Exif.Image.RowsPerStrip",
                               "Exif.Image.StripByteCounts",
                               "Exif.Image.PlanarConfiguration",
                               "Exif.Image.PhotometricInterpretation"};

void Erase(Exiv2::ExifData &exif, const char *key)
{
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    if (found != exif.end())
        exif.erase(found);
}

// Undefined bytes, as the version tags hold their digits.
void SetBytesIfMissing(Exiv2::ExifData &exif, const char *key, std::string_view bytes)
{
    if (exif.findKey(Exiv2::ExifKey(key)) != exif.end())
        return;
    const Exiv2::DataValue value(reinterpret_cast<const Exiv2::byte *>(bytes.data()),
                                 long(bytes.size()));
    exif.add(Exiv2::ExifKey(key), &value);
}

// What a JPEG file's EXIF must hold; and a maker note exiv2 cannot place belongs to no camera
// a reader knows either.
void MakeComplete(Exiv2::ExifData &exif, int components)
{
    for (const char *key : NotInJpeg)
        Erase(exif, key);
    if (exif.findKey(Exiv2::ExifKey("Exif.MakerNote.ByteOrder")) == exif.end())
        Erase(exif, "Exif.Photo.MakerNote");
    SetBytesIfMissing(exif, "Exif.Photo.ExifVersion", "0231");
    SetBytesIfMissing(exif, "Exif.Photo.FlashpixVersion", "0100");
    SetBytesIfMissing(exif, "Exif.Photo.ComponentsConfiguration",
                      components == 1 ? std::string_view("\1\0\0\0", 4)
                                      : std::string_view("\1\2\3\0", 4));
    if (exif.findKey(Exiv2::ExifKey("Exif.Image.YCbCrPositioning")) == exif.end())
        exif["Exif.Image.YCbCrPositioning"] = std::uint16_t(1);
}

void MakeTrue(Exiv2::ExifData &exif, const PictureFacts &facts,
              const std::optional<Resolution> &resolution)
{
    Exiv2::ExifThumb(exif).erase();
    MakeComplete(exif, facts.components);
    exif["Exif.Image.Orientation"] = std::uint16_t(1);
    exif["Exif.Photo.PixelXDimension"] = std::uint32_t(facts.width);
    exif["Exif.Photo.PixelYDimension"] = std::uint32_t(facts.height);
    exif["Exif.Photo.ColorSpace"] = std::uint16_t(1);
    if (resolution) {
        exif["Exif.Image.XResolution"] = Exiv2::URational(resolution->x, 1);
        exif["Exif.Image.YResolution"] = Exiv2::URational(resolution->y, 1);
        exif["Exif.Image.ResolutionUnit"] = resolution->ExifUnit();
    }
}

} // namespace

SegmentsOrReason ExifSegment(const std::string &tiff, const PictureFacts &facts,
                             const std::optional<Resolution> &resolution)
{
    // Some writers keep the JPEG segment's own header in front.
    const std::string_view data = std::string_view(tiff).starts_with(ExifHeader)
                                      ? std::string_view(tiff).substr(ExifHeader.size())
                                      : std::string_view(tiff);
    Exiv2::ExifData exif;
    Exiv2::Blob blob;
    Exiv2::ByteOrder order = Exiv2::invalidByteOrder;
    const bool read = RunCleanly([&] {
        order = Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte *>(data.data()),
                                          std::uint32_t(data.size()));
        return order != Exiv2::invalidByteOrder && !exif.empty();
    });
    if (!read)
        return {{}, "damaged"};
    const bool written = RunCleanly([&] {
        MakeTrue(exif, facts, resolution);
        // exiv2 drops the maker note and other large tags itself where the rest would not fit.
        Exiv2::ExifParser::encode(blob, nullptr, 0, order, exif);
        return !blob.empty();
    });
    if (!written)
        return {{}, "damaged"};
    if (blob.size() + ExifHeader.size() > MaxSegmentPayload)
        return {{}, "too large"};
    std::string payload(ExifHeader);
    payload.append(reinterpret_cast<const char *>(blob.data()), blob.size());
    return {JpegSegment(App1, payload), {}};
}
