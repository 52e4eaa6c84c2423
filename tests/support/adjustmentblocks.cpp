#include "support/adjustmentblocks.h"

#include "support/bigendian.h"

#include <bit>
#include <cmath>

namespace adjustment
{

QByteArray LevelsBlock(const QList<Levels> &channels)
{
    QByteArray data = Big(2, 2);
    for (int i = 0; i < 29; ++i) {
        const Levels levels = channels.value(i);
        data += Big(quint64(levels.inputFloor), 2) + Big(quint64(levels.inputCeiling), 2) +
                Big(quint64(levels.outputFloor), 2) + Big(quint64(levels.outputCeiling), 2) +
                Big(quint64(std::lround(levels.gamma * 100)), 2);
    }
    return PsdWriter::Block("levl", data);
}

QByteArray CurvesBlock(const QList<Knots> &channels)
{
    quint32 present = 0;
    QByteArray knots;
    for (qsizetype i = 0; i < channels.size(); ++i) {
        if (channels[i].isEmpty())
            continue;
        present |= 1u << i;
        knots += Big(quint64(channels[i].size()), 2);
        for (const auto &[input, output] : channels[i])
            knots += Big(quint64(output), 2) + Big(quint64(input), 2);
    }
    return PsdWriter::Block("curv", QByteArray(1, '\0') + Big(1, 2) + Big(present, 4) + knots);
}

QByteArray InvertBlock()
{
    return PsdWriter::Block("nvrt", {});
}

QByteArray PosterizeBlock(int levels)
{
    return PsdWriter::Block("post", Big(quint64(levels), 2) + Big(0, 2));
}

QByteArray ThresholdBlock(int level)
{
    return PsdWriter::Block("thrs", Big(quint64(level), 2) + Big(0, 2));
}

QByteArray GradientMapBlock(const QList<Stop> &stops, bool reverse, const QByteArray &method)
{
    QByteArray data = Big(method.isEmpty() ? 1 : 3, 2) + char(reverse) + '\0' + method;
    data += Big(0, 4) + Big(quint64(stops.size()), 2); // no name
    for (const auto &[location, rgb] : stops) {
        data += Big(quint64(location), 4) + Big(50, 4) + Big(0, 2);
        for (const int component : rgb)
            data += Big(quint64(component * 257), 2);
        data += Big(0, 2) + Big(0, 2);
    }
    data += Big(2, 2);
    for (const int location : {0, 4096})
        data += Big(quint64(location), 4) + Big(50, 4) + Big(255, 2);
    data += Big(2, 2) + Big(4096, 2) + Big(32, 2) + Big(0, 2) + QByteArray(26, '\0');
    return PsdWriter::Block("grdm", data);
}

QByteArray ExposureBlock(float exposure, float offset, float gamma)
{
    QByteArray data = Big(1, 2);
    for (const float value : {exposure, offset, gamma})
        data += Big(std::bit_cast<quint32>(value), 4);
    return PsdWriter::Block("expA", data);
}

QByteArray ChannelMixerBlock(const QList<std::array<int, 4>> &outputs, bool monochrome)
{
    QByteArray data = Big(1, 2) + Big(monochrome ? 1 : 0, 2);
    for (int i = 0; i < 4; ++i) {
        const std::array<int, 4> output = outputs.value(i);
        for (const int share : {output[0], output[1], output[2], 0, output[3]})
            data += Big(quint16(qint16(share)), 2);
    }
    return PsdWriter::Block("mixr", data);
}

QByteArray BrightnessBlock(int brightness, int contrast)
{
    return PsdWriter::Block("brit", Big(quint16(qint16(brightness)), 2) +
                                        Big(quint16(qint16(contrast)), 2) + Big(127, 2) +
                                        QByteArray(2, '\0'));
}

QByteArray HueSaturationBlock(int hue, int saturation, int lightness)
{
    QByteArray data = Big(2, 2) + QByteArray(2 + 6, '\0');
    for (const int value : {hue, saturation, lightness})
        data += Big(quint16(qint16(value)), 2);
    return PsdWriter::Block("hue2", data + QByteArray(6 * 14, '\0'));
}

PsdWriter::Layer Layer(const QByteArray &block, int opacity)
{
    PsdWriter::Layer layer;
    layer.samples = [](int, int, int) { return quint16(0); };
    layer.opacity = opacity;
    layer.blocks = block;
    return layer;
}

} // namespace adjustment
