// fuzz-seeds DIR: writes a seed corpus for each fuzz target into DIR/<target>/, made here in
// code: small valid files of every kind each parser takes, and a few damaged ones.
#include "colourinput.h"
#include "shared/protocol/wireformat.h"
#include "shared/psd/psdcontents.h"
#include "streamshape.h"
#include "support/adjustmentblocks.h"
#include "support/fixtures.h"
#include "support/psdwriter.h"

#include <lcms2.h>

#include <QDir>
#include <QFile>

#include <cmath>
#include <cstdio>
#include <limits>

namespace
{

using W = PsdWriter;

quint16 Ramp(int x, int y, int channel)
{
    return quint16((x * 8000 + y * 3000 + channel * 20000) & 0xFFFF);
}

// Every compression, depth and kind of section the header check and the reader take.
QList<QByteArray> Pictures()
{
    const W rgb(16, 8, W::Rgb, Ramp);
    QList<QByteArray> pictures;
    for (const auto compression : {W::Raw, W::Rle, W::Zip, W::ZipPredicted}) {
        for (const int depth : {8, 16, 32})
            pictures << W(rgb).SetCompression(compression).SetDepth(depth).Bytes();
        pictures << W(rgb).SetCompression(compression).SetLargeFormat(true).Bytes()
                 << W(5, 3, W::Cmyk, Ramp).SetCompression(compression).SetExtraChannels(1).Bytes();
    }
    pictures
        << W(9, 4, W::Grayscale, Ramp).SetCompression(W::Rle).Bytes()
        << W(9, 4, W::Lab, Ramp).SetDepth(32).SetCompression(W::ZipPredicted).Bytes()
        << W(rgb).AddResource(1057, W::VersionInfo("Adobe Photoshop", false)).Bytes()
        << W(rgb).AddResource(1060, "<x xmp:CreatorTool=\"Krita\"/>").Bytes()
        << W(rgb).AddResource(1039, SystemProfile("srgb.icc")).Bytes()
        << W(rgb).SetExtraChannels(1).SetLayer(Ramp, true).SetLargeFormat(true).Bytes()
        << W(rgb).SetCompression(W::Rle).SetFirstPackedRow(2, QByteArray::fromHex("080001")).Bytes()
        << W::TruncatedInRowCounts() << W::ResourceNameLengthFF()
        << W::FlatRows(300, 5, W::Rgb, [](int y, int c) { return quint8(y * 40 + c); });
    return pictures;
}

// The merged image data of a picture, where it is whole, behind the shape that reads it.
QByteArray StreamSeed(const QDir &dir, const QByteArray &picture)
{
    QFile file(dir.filePath("picture.psd"));
    if (!file.open(QIODevice::WriteOnly) || file.write(picture) != picture.size())
        return {};
    file.close();
    const std::string path = QFile::encodeName(file.fileName()).toStdString();
    const Result<PsdHeader> header = ReadPsdHeader(path);
    const Result<PsdContents> contents =
        header.Then([&](const PsdHeader &read) { return ReadPsdContents(path, read); });
    file.remove();
    if (!contents)
        return {};
    const StreamShape shape{*header, contents->compression, contents->imageDataOffset};
    return QByteArray::fromStdString(shape.Bytes()) + picture;
}

// An ICC profile made by LittleCMS, as bytes.
QByteArray Saved(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    QByteArray bytes;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size)) {
        bytes.resize(qsizetype(size));
        cmsSaveProfileToMem(profile, bytes.data(), &size);
    }
    if (profile)
        cmsCloseProfile(profile);
    return bytes;
}

QByteArray GreyProfile()
{
    cmsToneCurve *curve = cmsBuildGamma(nullptr, 2.2);
    const QByteArray bytes = Saved(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return bytes;
}

// Samples across the range of a depth; among the floats some beyond it, NaN and infinities.
QByteArray Samples(int depth, int count)
{
    QByteArray bytes;
    const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(), -1.5f, 1e30f};
    for (int i = 0; i < count; ++i) {
        const auto value16 = quint16(i * 4099);
        const float value32 = i % 17 == 16 ? odd[i / 17 % 4] : float(i * 37 % 256) / 255.0f;
        if (depth == 8)
            bytes += char(i * 37);
        else if (depth == 16)
            bytes += QByteArray(reinterpret_cast<const char *>(&value16), 2);
        else
            bytes += QByteArray(reinterpret_cast<const char *>(&value32), 4);
    }
    return bytes;
}

QList<QByteArray> ColourSeeds()
{
    const QByteArray profiles[] = {{},
                                   Saved(cmsCreate_sRGBProfile()),
                                   GreyProfile(),
                                   SystemProfile("ps_cmyk.icc"),
                                   "no profile"};
    QList<QByteArray> seeds;
    for (const ColorMode mode : {W::Grayscale, W::Rgb, W::Cmyk, W::Lab}) {
        for (const int depth : {8, 16, 32}) {
            for (int flags = 0; flags < 16; flags += 3) {
                ColourInput colour;
                colour.layout = {mode, depth, (flags & 1) != 0};
                colour.blendOnWhite = flags & 2;
                colour.whiteWhereClear = flags & 4;
                colour.gridded = flags & 8;
                colour.profile = profiles[(int(mode) + depth + flags) % 5].toStdString();
                seeds << QByteArray::fromStdString(colour.Bytes()) + Samples(depth, 5 * 64);
            }
        }
    }
    return seeds;
}

// Stand-ins for pictures kept only as layers, as Photoshop saves them without a flattened one:
// layers past the canvas, a mask, a style with overlays, an artboard, adjustment layers (a
// gradient map too, below 32 bits), blend modes (but at 32 bits, which take only the normal
// one), gradient and pattern fills, in every mode, depth and compression the compositor renders.
QByteArray Layered(ColorMode mode, int depth, Compression compression)
{
    W::Layer plain;
    plain.left = -2;
    plain.top = 1;
    plain.width = 10;
    plain.height = 6;
    plain.samples = Ramp;
    W::Layer multiplied = plain;
    plain.blocks = W::LayerStyle(
        true,
        {{"SoFi", true, "Mltp", 50, "RGBC", {{"Rd  ", 255}, {"Grn ", 0}, {"Bl  ", 0}}, {}, {}},
         {"GrFl", true, "Nrml", 60, "RGBC", {}, W::Gradient{}, {}},
         {"patternFill", true, "Scrn", 70, "RGBC", {}, {}, W::PatternUse{"seed"}}});
    multiplied.left = 9;
    multiplied.blendMode = depth == 32 ? "norm" : "mul ";
    multiplied.opacity = 128;
    W::Layer masked = plain;
    masked.blendMode = depth == 32 ? "norm" : "over";
    masked.mask = W::Mask{2, 2, 4, 4, Ramp, 255};
    W::Layer end;
    end.kind = W::Layer::Kind::GroupEnd;
    W::Layer group = end;
    group.kind = W::Layer::Kind::Group;
    group.blocks = W::Artboard(QRect(0, 0, 12, 8), 4, {255, 0, 0});
    // An adjustment of what lies below it in the group: a curve, or exposure at 32 bits.
    const W::Layer adjusted = adjustment::Layer(
        depth == 32 ? adjustment::ExposureBlock(1, 0, 1)
                    : adjustment::CurvesBlock({{{0, 0}, {128, 200}, {255, 255}}}));
    W file = W::WithoutComposite(16, 8, mode);
    file.SetDepth(depth).SetCompression(compression);
    for (const W::Layer &layer : {plain, end, multiplied, adjusted, masked, group})
        file.AddLayer(layer);
    if (depth != 32)
        file.AddLayer(adjustment::Layer(
            adjustment::GradientMapBlock({{0, {0, 0, 0}}, {4096, {255, 128, 0}}}, true)));
    // Fills kept without pixels, as 16- and 32-bit documents keep them.
    W::Layer gradient;
    gradient.samples = Ramp;
    gradient.mask = masked.mask;
    W::Gradient reflected;
    reflected.type = "Rflc";
    gradient.blocks = W::Block("GdFl", W::GradientFill(reflected));
    W::Layer pattern = gradient;
    pattern.blocks = W::Block("PtFl", W::PatternFill("seed"));
    if (depth != 8)
        file.AddLayer(gradient).AddLayer(pattern);
    return file.AddSectionBlock(file.Patterns("seed", 5, 3, Ramp)).Bytes();
}

QList<QByteArray> Layered()
{
    QList<QByteArray> files;
    for (const ColorMode mode : {W::Rgb, W::Cmyk, W::Grayscale, W::Lab}) {
        for (const int depth : {8, 16, 32}) {
            for (const auto compression : {W::Raw, W::Rle, W::ZipPredicted})
                files << Layered(mode, depth, compression);
        }
    }
    return files;
}

// Each kind of metadata block as the metadata target reads it: a byte for the kind (and,
// from 4 on, a JPEG file tagged sRGB), then the block.
QList<QByteArray> MetadataSeeds()
{
    const QByteArray blocks[] = {
        QByteArray::fromHex("00480000000100010048000000010001"), // 72 dpi, in inches
        QByteArray::fromHex(
            "1c0200000200041c0278000568656c6c6f"), // IPTC: record version, a caption
        QByteArray::fromHex("4d4d002a00000008000101120003000000010006000000000000"), // EXIF
        "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'>"
        "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
        "rdf:about='' xmlns:tiff='http://ns.adobe.com/tiff/1.0/' tiff:Orientation='6'/>"
        "</rdf:RDF></x:xmpmeta><?xpacket end='w'?>"};
    QList<QByteArray> seeds;
    for (int kind = 0; kind < 8; ++kind)
        seeds << char(kind) + blocks[kind % 4];
    return seeds;
}

QList<QByteArray> WireSeeds()
{
    QList<QByteArray> seeds;
    const wire::Request request{"/some/where/a.psd", "/some/where/a.jpg"};
    const wire::Response ok{wire::Status::Ok, "reader"};
    const wire::Response failed{wire::Status::Unreadable, "damaged file: layer section"};
    for (const std::string &bytes :
         {wire::EncodeRequest(request), wire::EncodeRequest(request) + wire::EncodeRequest({}),
          wire::EncodeResponse(ok) + wire::EncodeResponse(failed), wire::EncodeResponse(ok)})
        seeds << QByteArray::fromStdString(bytes);
    return seeds;
}

bool WriteAll(const QDir &top, const QString &target, const QList<QByteArray> &seeds)
{
    if (!top.mkpath(target))
        return false;
    for (qsizetype i = 0; i < seeds.size(); ++i) {
        QFile file(top.filePath(QString("%1/seed-%2").arg(target).arg(i, 3, 10, QChar('0'))));
        if (!seeds[i].isEmpty() &&
            (!file.open(QIODevice::WriteOnly) || file.write(seeds[i]) != seeds[i].size()))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds DIR\n");
        return 2;
    }
    const QDir top(QFile::decodeName(argv[1]));
    const QList<QByteArray> pictures = Pictures();
    const QList<QByteArray> layered = Layered();
    QList<QByteArray> streams;
    if (!top.mkpath("."))
        return 1;
    for (const QByteArray &picture : pictures)
        streams << StreamSeed(top, picture);
    const bool written =
        WriteAll(top, "psdcontents", pictures + layered) &&
        WriteAll(top, "layersection", pictures + layered) && WriteAll(top, "layers", layered) &&
        WriteAll(top, "packedrows", streams) && WriteAll(top, "channelrows", streams) &&
        WriteAll(top, "colourstep", ColourSeeds()) && WriteAll(top, "metadata", MetadataSeeds()) &&
        WriteAll(top, "wire", WireSeeds());
    if (!written)
        std::fprintf(stderr, "fuzz-seeds: cannot write below %s\n", argv[1]);
    return written ? 0 : 1;
}
