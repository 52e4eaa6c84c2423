#include "shared/psd/layerstyle.h"

#include "shared/psd/layerdescriptor.h"
#include "shared/psd/sectionreader.h"

#include <map>
#include <utility>

namespace
{

// The class of each effect's object, in a list ("dropShadowMulti.0") or alone ("DrSh").
const std::map<std::string, std::pair<EffectKind, const char *>> Effects = {
    {"DrSh", {EffectKind::DropShadow, "drop shadow"}},
    {"IrSh", {EffectKind::InnerShadow, "inner shadow"}},
    {"OrGl", {EffectKind::OuterGlow, "outer glow"}},
    {"IrGl", {EffectKind::InnerGlow, "inner glow"}},
    {"ebbl", {EffectKind::Bevel, "bevel and emboss"}},
    {"ChFX", {EffectKind::Satin, "satin"}},
    {"SoFi", {EffectKind::ColourOverlay, "color overlay"}},
    {"GrFl", {EffectKind::GradientOverlay, "gradient overlay"}},
    {"patternFill", {EffectKind::PatternOverlay, "pattern overlay"}},
    {"FrFX", {EffectKind::Stroke, "stroke"}},
};

// Blend modes as descriptors name them, by the key a layer record would store.
const std::map<std::string, std::string> BlendKeys = {
    {"Nrml", "norm"},        {"Dslv", "diss"},
    {"Drkn", "dark"},        {"Mltp", "mul "},
    {"CBrn", "idiv"},        {"linearBurn", "lbrn"},
    {"darkerColor", "dkCl"}, {"Lghn", "lite"},
    {"Scrn", "scrn"},        {"CDdg", "div "},
    {"linearDodge", "lddg"}, {"lighterColor", "lgCl"},
    {"Ovrl", "over"},        {"SftL", "sLit"},
    {"HrdL", "hLit"},        {"vividLight", "vLit"},
    {"linearLight", "lLit"}, {"pinLight", "pLit"},
    {"hardMix", "hMix"},     {"Dfrn", "diff"},
    {"Xclu", "smud"},        {"blendSubtraction", "fsub"},
    {"blendDivide", "fdiv"}, {"H   ", "hue "},
    {"Strt", "sat "},        {"Clr ", "colr"},
    {"Lmns", "lum "},
};

std::string Enum(const Descriptor &descriptor, const std::string &path)
{
    const auto found = descriptor.enums.find(path);
    return found == descriptor.enums.end() ? std::string() : found->second;
}

LayerEffect ReadEffect(const Descriptor &descriptor, const std::string &path, EffectKind kind)
{
    LayerEffect effect;
    effect.kind = kind;
    const auto mode = BlendKeys.find(Enum(descriptor, path + ".Md  "));
    effect.blendMode = mode == BlendKeys.end() ? "?" : mode->second;
    effect.opacity = descriptor.Number(path + ".Opct").value_or(100) / 100;
    effect.colour = ColourOf(descriptor, path + ".Clr ");
    if (kind == EffectKind::GradientOverlay)
        effect.gradient = GradientFillOf(descriptor, path);
    if (kind == EffectKind::PatternOverlay)
        effect.pattern = PatternFillOf(descriptor, path);
    return effect;
}

} // namespace

LayerStyle ReadLayerStyle(SectionReader &reader, std::uint64_t end)
{
    LayerStyle style;
    style.present = true;
    reader.Number(4); // version of the effects
    const std::optional<Descriptor> descriptor = ReadBlockDescriptor(reader, end);
    if (!descriptor) {
        style.readable = false;
        return style;
    }
    style.on = descriptor->Number("masterFXSwitch").value_or(1) != 0;
    for (const auto &[path, name] : descriptor->classes) {
        const auto effect = Effects.find(name);
        if (effect == Effects.end() || path.empty())
            continue;
        // An effect not switched on, or one the dialog keeps but the layer does not use.
        if (descriptor->Number(path + ".enab").value_or(0) == 0 ||
            descriptor->Number(path + ".present").value_or(1) == 0)
            continue;
        style.effects.push_back(ReadEffect(*descriptor, path, effect->second.first));
    }
    return style;
}

std::string EffectName(EffectKind kind)
{
    for (const auto &[key, effect] : Effects) {
        if (effect.first == kind)
            return effect.second;
    }
    return "";
}
