#include "support/layerscene.h"

#include "support/fixtures.h"
#include "worker/decodeplan.h"
#include "worker/layers/layerconversion.h"

#include <QColor>
#include <QFile>
#include <QTemporaryDir>

namespace
{

using Colour = LayerScene::Colour;

Result<Decoded> ConvertIn(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const std::string source = QFile::encodeName(WriteFile(dir, "a.psd", bytes)).toStdString();
    const std::string jpeg = QFile::encodeName(dir.filePath("a.jpg")).toStdString();
    return PlanDecode(source).Then([&](const DecodePlan &plan) -> Result<Decoded> {
        if (plan.decoder != Decoder::Layers)
            return Failure{wire::Status::Unreadable, "not planned for the compositor"};
        return ConvertFromLayers(source, jpeg, plan, wire::DefaultQuality);
    });
}

// How a pixel shows: grey and RGB as they are, CMYK (stored as what is left of the paper)
// by the plain formula of an ink without a profile.
QRgb Shown(ColorMode mode, const Colour &colour)
{
    if (mode == PsdWriter::Grayscale)
        return qRgb(colour[0], colour[0], colour[0]);
    const int k = mode == PsdWriter::Cmyk ? colour[3] : 255;
    return qRgb(colour[0] * k / 255, colour[1] * k / 255, colour[2] * k / 255);
}

} // namespace

QString LayerScene::Fault() const
{
    QString why;
    const QImage image = RebuiltPicture(StandIn(mode, depth, layers), why);
    if (image.isNull())
        return why;
    for (const auto &[x, expected] : {std::pair{Half / 2, left}, {Side - Half / 2, right}}) {
        const QRgb shown = image.pixel(x, Side / 2);
        const QRgb wanted = Shown(mode, expected);
        const auto off = [&](int (*channel)(QRgb)) {
            return std::abs(channel(shown) - channel(wanted)) > 2;
        };
        if (off(qRed) || off(qGreen) || off(qBlue))
            return QColor(shown).name() + " where " + QColor(wanted).name();
    }
    return {};
}

QByteArray StandIn(ColorMode mode, int depth, const Layers &layers)
{
    const int side = LayerScene::Side;
    PsdWriter file = PsdWriter::WithoutComposite(side, side, mode).SetDepth(depth);
    for (const PsdWriter::Layer &layer : layers)
        file.AddLayer(layer);
    return file.Bytes();
}

Result<Decoded> RebuildFromLayers(const QByteArray &bytes)
{
    const QTemporaryDir dir;
    return ConvertIn(dir, bytes);
}

QImage RebuiltPicture(const QByteArray &bytes, QString &why)
{
    const QTemporaryDir dir;
    const Result<Decoded> converted = ConvertIn(dir, bytes);
    if (!converted)
        why = QString::fromStdString(converted.Why().detail);
    return converted ? QImage(dir.filePath("a.jpg")) : QImage();
}

PsdWriter::Layer Flat(const Colour &colour, const QByteArray &blendMode, int alpha, int left,
                      int width)
{
    PsdWriter::Layer layer;
    layer.left = left;
    layer.width = width;
    layer.height = LayerScene::Side;
    layer.blendMode = blendMode;
    layer.samples = [colour, alpha](int, int, int channel) {
        return quint16((channel < colour.size() ? colour[channel] : alpha) * 257);
    };
    return layer;
}

PsdWriter::Layer With(PsdWriter::Layer layer, const std::function<void(PsdWriter::Layer &)> &change)
{
    change(layer);
    return layer;
}

Layers Group(const Layers &layers, const QByteArray &blendMode,
             const std::function<void(PsdWriter::Layer &)> &change)
{
    PsdWriter::Layer end;
    end.kind = PsdWriter::Layer::Kind::GroupEnd;
    PsdWriter::Layer group = end;
    group.kind = PsdWriter::Layer::Kind::Group;
    group.blendMode = blendMode;
    change(group);
    return Layers{end} + layers + Layers{group};
}

PsdWriter::Mask LeftHidden()
{
    PsdWriter::Mask mask;
    mask.width = LayerScene::Half;
    mask.height = LayerScene::Side;
    mask.samples = [](int, int, int) { return quint16(0); };
    mask.defaultColor = 255;
    return mask;
}
