// The settings blocks of layers the writer adds: fills, styles, artboards, vector masks, as
// action descriptors and paths.
#include "support/bigendian.h"
#include "support/psdwriter.h"

#include <QMap>

#include <bit>

namespace
{
// A descriptor key or class id of four characters.
QByteArray Id(const QByteArray &id)
{
    return id.size() == 4 ? Big(0, 4) + id : Big(id.size(), 4) + id;
}

// A descriptor with no name, of class `classId`, with its items already written.
QByteArray Descriptor(const QByteArray &classId, int count, const QByteArray &items)
{
    return Big(1, 4) + Big(0, 2) + Id(classId) + Big(count, 4) + items;
}

QByteArray Double(double value)
{
    return Big(std::bit_cast<quint64>(value), 8);
}

QByteArray Unit(const QByteArray &key, const QByteArray &unit, double value)
{
    return Id(key) + "UntF" + unit + Double(value);
}

QByteArray Enum(const QByteArray &key, const QByteArray &type, const QByteArray &value)
{
    return Id(key) + "enum" + Id(type) + Id(value);
}

// A colour object of class `model` ("RGBC", "Grsc", "CMYC", ...) by its components' keys.
QByteArray ColourObject(const QByteArray &model,
                        const QList<std::pair<QByteArray, double>> &components)
{
    QByteArray items;
    for (const auto &[key, value] : components)
        items += Id(key) + "doub" + Double(value);
    return "Objc" + Descriptor(model, int(components.size()), items);
}

// A path point: vertical, then horizontal, each 8.24 fixed point.
QByteArray Point(double x, double y)
{
    return Big(quint32(qint32(y * (1 << 24))), 4) + Big(quint32(qint32(x * (1 << 24))), 4);
}

// The seven items of a gradient and its layout, as fills and overlays keep them.
QByteArray GradientItems(const PsdWriter::Gradient &g)
{
    static const QMap<QByteArray, QByteArrayList> keys{
        {"RGBC", {"Rd  ", "Grn ", "Bl  "}},         {"Grsc", {"Gry "}},
        {"CMYC", {"Cyn ", "Mgnt", "Ylw ", "Blck"}}, {"HSBC", {"H   ", "Strt", "Brgh"}},
        {"LbCl", {"Lmnc", "A   ", "B   "}},
    };
    const auto place = [&](int location) {
        return Id("Lctn") + "long" + Big(location, 4) + Id("Mdpn") + "long" +
               Big(quint64(g.midpoint), 4);
    };
    QByteArray colours = Big(g.colours.size(), 4);
    for (const auto &[location, values] : g.colours) {
        QList<std::pair<QByteArray, double>> components;
        for (qsizetype i = 0; i < values.size(); ++i)
            components.append({keys[g.model].value(i), values[i]});
        colours +=
            "Objc" +
            Descriptor("Clrt", 3, Id("Clr ") + ColourObject(g.model, components) + place(location));
    }
    QByteArray opacities = Big(g.opacities.size(), 4);
    for (const auto &[location, opacity] : g.opacities)
        opacities +=
            "Objc" + Descriptor("TrnS", 3, Unit("Opct", "#Prc", opacity) + place(location));
    const QByteArray gradient =
        Descriptor("Grdn", 4,
                   Enum("GrdF", "GrdF", g.form) + Id("Intr") + "doub" + Double(g.smoothness) +
                       Id("Clrs") + "VlLs" + colours + Id("Trns") + "VlLs" + opacities);
    const QByteArray offset =
        Descriptor("Pnt ", 2, Unit("Hrzn", "#Prc", g.offset) + Unit("Vrtc", "#Prc", 0));
    return Unit("Angl", "#Ang", g.angle) + Enum("Type", "GrdT", g.type) +
           Unit("Scl ", "#Prc", g.scale) + Id("Rvrs") + "bool" + char(g.reverse) + Id("Algn") +
           "bool" + char(g.align) + Id("Ofst") + "Objc" + offset + Id("Grad") + "Objc" + gradient;
}

// The three items of a pattern's use, as fills and overlays keep them.
QByteArray PatternItems(const PsdWriter::PatternUse &use)
{
    const QByteArray idText = Big(use.id.size() + 1, 4) + [&] {
        QByteArray units;
        for (const char c : use.id + '\0')
            units += Big(quint8(c), 2);
        return units;
    }();
    const QByteArray pattern = Descriptor("Ptrn", 1, Id("Idnt") + "TEXT" + idText);
    return Id("Ptrn") + "Objc" + pattern + Unit("Scl ", "#Prc", use.scale) + Id("Algn") + "bool" +
           char(use.linked);
}
} // namespace

QByteArray PsdWriter::SolidColour(const QByteArray &model,
                                  const QList<std::pair<QByteArray, double>> &components)
{
    return Big(16, 4) + Descriptor("null", 1, Id("Clr ") + ColourObject(model, components));
}

QByteArray PsdWriter::GradientFill(const Gradient &gradient)
{
    return Big(16, 4) + Descriptor("null", 7, GradientItems(gradient));
}

// The pattern's image as a list of channels, each raw and written, then the two masks unwritten.
QByteArray PsdWriter::Patterns(const QByteArray &id, int width, int height,
                               const Samples &samples) const
{
    const QByteArray bounds = Big(0, 4) + Big(0, 4) + Big(height, 4) + Big(width, 4);
    QByteArray image;
    for (int channel = 0; channel < ColourChannels(); ++channel) {
        QByteArray pixels;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                pixels += char(samples(x, y, channel) >> 8);
        }
        image +=
            Big(1, 4) + Big(23 + pixels.size(), 4) + Big(8, 4) + bounds + Big(8, 2) + '\0' + pixels;
    }
    image += QByteArray(8, '\0');
    const QByteArray list =
        Big(3, 4) + Big(image.size() + 20, 4) + bounds + Big(ColourChannels(), 4) + image;
    QByteArray pattern = Big(1, 4) + Big(quint64(m_mode), 4) + Big(height, 2) + Big(width, 2) +
                         Big(0, 4) + char(id.size()) + id + list;
    pattern += QByteArray((4 - pattern.size() % 4) % 4, '\0');
    return Block("Patt", Big(pattern.size(), 4) + pattern);
}

QByteArray PsdWriter::PatternFill(const QByteArray &id, double scale, bool linked)
{
    return Big(16, 4) + Descriptor("null", 3, PatternItems({id, scale, linked}));
}

// Effects of a kind together in a list, as writers keep them.
QByteArray PsdWriter::LayerStyle(bool on, const QList<Effect> &effects)
{
    const auto flag = [](const QByteArray &key, bool value) {
        return Id(key) + "bool" + char(value);
    };
    QMap<QByteArray, QByteArrayList> lists;
    for (const Effect &effect : effects) {
        const QByteArray settings = flag("enab", effect.enabled) + flag("present", true) +
                                    Id("Md  ") + "enum" + Id("BlnM") + Id(effect.blendMode) +
                                    Id("Opct") + "UntF#Prc" + Double(effect.opacity) + Id("Clr ") +
                                    ColourObject(effect.model, effect.colour);
        const QByteArray own = effect.gradient  ? GradientItems(*effect.gradient)
                               : effect.pattern ? PatternItems(*effect.pattern)
                                                : QByteArray();
        const int count = effect.gradient ? 7 : effect.pattern ? 3 : 0;
        lists[effect.kind].append("Objc" + Descriptor(effect.kind, 5 + count, settings + own));
    }
    QByteArray items = flag("masterFXSwitch", on);
    for (auto list = lists.cbegin(); list != lists.cend(); ++list)
        items += Id(list.key() + "Multi") + "VlLs" + Big(list->size(), 4) + list->join();
    return Block("lfx2", Big(0, 4) + Big(16, 4) + Descriptor("null", int(lists.size()) + 1, items));
}

QByteArray PsdWriter::Artboard(const QRect &rect, int background, const QList<int> &rgb)
{
    const auto number = [](const QByteArray &key, double value) {
        return Id(key) + "doub" + Double(value);
    };
    const QByteArray sides = number("Top ", rect.top()) + number("Left", rect.left()) +
                             number("Btom", rect.y() + rect.height()) +
                             number("Rght", rect.x() + rect.width());
    QList<std::pair<QByteArray, double>> colour;
    for (const auto &[key, value] : QList<std::pair<QByteArray, int>>{
             {"Rd  ", rgb.value(0)}, {"Grn ", rgb.value(1)}, {"Bl  ", rgb.value(2)}})
        colour.append({key, value});
    const QByteArray items = Id("artboardRect") + "Objc" + Descriptor("classFloatRect", 4, sides) +
                             Id("Clr ") + ColourObject("RGBC", colour) +
                             Id("artboardBackgroundType") + "long" + Big(background, 4);
    return Block("artb", Big(16, 4) + Descriptor("artboard", 3, items));
}

QByteArray PsdWriter::ShapeStroke(bool enabled)
{
    return Big(16, 4) + Descriptor("strokeStyle", 1, Id("strokeEnabled") + "bool" + char(enabled));
}

// Each rectangle a closed subpath of four straight knots, after the records that say the
// picture starts empty.
QByteArray PsdWriter::VectorMask(const QList<PathRect> &shapes, quint32 flags)
{
    QByteArray data = Big(3, 4) + Big(flags, 4) + Big(6, 2) + QByteArray(24, '\0') + Big(8, 2) +
                      QByteArray(24, '\0');
    for (qsizetype i = 0; i < shapes.size(); ++i) {
        const PathRect &r = shapes[i];
        data += Big(0, 2) + Big(4, 2) + Big(r.operation, 2) + Big(1, 2) + Big(0, 6) +
                Big(quint64(i), 2) + QByteArray(10, '\0');
        for (const auto &[x, y] : {std::pair{r.left, r.top},
                                   {r.right, r.top},
                                   {r.right, r.bottom},
                                   {r.left, r.bottom}}) {
            const QByteArray point = Point(x, y);
            data += Big(1, 2) + point + point + point;
        }
    }
    return Block("vmsk", data);
}
