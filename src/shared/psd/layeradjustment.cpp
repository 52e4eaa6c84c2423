#include "shared/psd/layeradjustment.h"

#include "shared/psd/layerdescriptor.h"
#include "shared/psd/sectionreader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>

namespace
{

// The largest number of channel records read: the composite and up to four colours.
constexpr std::size_t MaxChannelRecords = 5;

const std::map<std::string, std::string> AdjustmentNames = {
    {"levl", "levels"},
    {"curv", "curves"},
    {"brit", "brightness/contrast"},
    {"CgEd", "brightness/contrast"},
    {"hue2", "hue/saturation"},
    {"hue ", "hue/saturation"},
    {"nvrt", "invert"},
    {"post", "posterize"},
    {"thrs", "threshold"},
    {"expA", "exposure"},
    {"blnc", "color balance"},
    {"selc", "selective color"},
    {"mixr", "channel mixer"},
    {"grdm", "gradient map"},
    {"phfl", "photo filter"},
    {"vibA", "vibrance"},
    {"blwh", "black & white"},
    {"clrL", "color lookup"},
};

int Signed16(SectionReader &reader)
{
    return std::int16_t(std::uint16_t(reader.Number(2)));
}

float Float32(SectionReader &reader)
{
    return std::bit_cast<float>(std::uint32_t(reader.Number(4)));
}

// 29 records of floor and ceiling in, floor and ceiling out, and gamma in hundredths.
AdjustmentSettings ReadLevels(SectionReader &reader)
{
    if (reader.Number(2) != 2)
        return {};
    LevelsSettings levels;
    for (std::size_t i = 0; i < MaxChannelRecords; ++i) {
        LevelsChannel channel;
        channel.inputFloor = int(reader.Number(2));
        channel.inputCeiling = int(reader.Number(2));
        channel.outputFloor = int(reader.Number(2));
        channel.outputCeiling = int(reader.Number(2));
        channel.gamma = double(reader.Number(2)) / 100;
        if (channel.inputFloor >= channel.inputCeiling || channel.inputCeiling > 255 ||
            channel.outputFloor > 255 || channel.outputCeiling > 255 || channel.gamma <= 0)
            return {};
        levels.channels.push_back(channel);
    }
    return levels;
}

// Knots as (output, input) pairs; inputs must rise.
bool ReadKnots(SectionReader &reader, std::vector<std::array<int, 2>> &knots)
{
    const std::uint64_t count = reader.Number(2);
    if (count < 2 || count > 19)
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        const int output = int(reader.Number(2));
        const int input = int(reader.Number(2));
        if (input > 255 || output > 255 || (!knots.empty() && input <= knots.back()[0]))
            return false;
        knots.push_back({input, output});
    }
    return true;
}

// The curves of the channels a bit mask names, then, where present, the same again with each
// channel's index ('Crv '): read the first, which every writer fills.
AdjustmentSettings ReadCurves(SectionReader &reader)
{
    reader.Number(1);
    if (reader.Number(2) != 1)
        return {};
    const std::uint64_t present = reader.Number(4);
    CurvesSettings curves;
    curves.channels.resize(MaxChannelRecords);
    for (std::size_t i = 0; i < 32; ++i) {
        if ((present >> i & 1) == 0)
            continue;
        if (i >= MaxChannelRecords || !ReadKnots(reader, curves.channels[i]))
            return {};
    }
    return curves;
}

// The new brightness/contrast keeps its settings in a descriptor; the legacy block is then
// left at zero.
void ReadNewBrightness(SectionReader &reader, std::uint64_t end, Adjustment &adjustment)
{
    const std::optional<Descriptor> descriptor = ReadBlockDescriptor(reader, end);
    const std::optional<double> brightness = descriptor ? descriptor->Number("Brgh") : std::nullopt;
    const std::optional<double> contrast = descriptor ? descriptor->Number("Cntr") : std::nullopt;
    if (!brightness || !contrast) {
        adjustment.settings = {};
        return;
    }
    adjustment.settings = BrightnessContrastSettings{
        int(*brightness), int(*contrast), descriptor->Number("useLegacy").value_or(0) != 0};
}

std::array<int, 3> ReadShift(SectionReader &reader)
{
    const int hue = Signed16(reader);
    const int saturation = Signed16(reader);
    return {hue, saturation, Signed16(reader)};
}

AdjustmentSettings ReadHueSaturation(SectionReader &reader)
{
    if (reader.Number(2) != 2)
        return {};
    HueSaturationSettings settings;
    settings.colourise = reader.Number(1) != 0;
    reader.Number(1);
    settings.colourShift = ReadShift(reader);
    settings.master = ReadShift(reader);
    for (HueRange &range : settings.ranges) {
        for (int &bound : range.bounds)
            bound = Signed16(reader);
        range.shift = ReadShift(reader);
    }
    return settings;
}

AdjustmentSettings ReadExposure(SectionReader &reader)
{
    if (reader.Number(2) != 1)
        return {};
    ExposureSettings settings;
    settings.exposure = Float32(reader);
    settings.offset = Float32(reader);
    settings.gamma = Float32(reader);
    if (!(settings.gamma > 0) || !(std::abs(settings.exposure) <= 20) ||
        !(std::abs(settings.offset) <= 1))
        return {};
    return settings;
}

AdjustmentSettings ReadChannelMixer(SectionReader &reader)
{
    if (reader.Number(2) != 1)
        return {};
    ChannelMixerSettings settings;
    settings.monochrome = reader.Number(2) != 0;
    for (std::size_t i = 0; i < 4; ++i) {
        std::array<int, 5> output{};
        for (int &share : output)
            share = Signed16(reader);
        settings.outputs.push_back(output);
    }
    return settings;
}

// A colour stop's colour: a colour space, four 16-bit components, then the kind of stop. RGB
// ones are read; the rest leave the stop unread.
SolidColour ReadStopColour(SectionReader &reader)
{
    const std::uint64_t space = reader.Number(2);
    SolidColour colour;
    colour.model = space == 0 ? FillModel::Rgb : FillModel::Other;
    for (int i = 0; i < 4; ++i) {
        const auto share = float(reader.Number(2)) / 65535.0f;
        if (i < 3 && space == 0)
            colour.shares.push_back(share);
    }
    reader.Number(2);
    return colour;
}

// The gradient with its stops in the order they are kept (locations to 4096, midpoints in
// per cent, opacities to 255); version 3 names a way of interpolating after the flags.
AdjustmentSettings ReadGradientMap(SectionReader &reader)
{
    const std::uint64_t version = reader.Number(2);
    if (version != 1 && version != 3)
        return {};
    GradientMapSettings map;
    map.reverse = reader.Number(1) != 0;
    reader.Number(1); // dither
    if (version == 3) {
        unsigned char method[4] = {};
        reader.Read(method, 4);
        InterpolationOf(method[0] == 0 ? "" : std::string(method, method + 4), map.stops);
    }
    reader.Skip(std::min<std::uint64_t>(reader.Number(4), 1024) * 2); // the name
    const auto place = [&](auto &stop) {
        stop.location = std::clamp(double(reader.Number(4)) / 4096, 0.0, 1.0);
        stop.midpoint = std::clamp(double(reader.Number(4)) / 100, 0.0, 1.0);
    };
    for (std::uint64_t count = reader.Number(2); count > 0 && !reader.Failed(); --count) {
        GradientColourStop &stop = map.stops.colours.emplace_back();
        place(stop);
        stop.colour = ReadStopColour(reader);
        if (stop.colour.model == FillModel::Other && map.stops.unread.empty())
            map.stops.unread = "gradient colours of a model not read";
    }
    for (std::uint64_t count = reader.Number(2); count > 0 && !reader.Failed(); --count) {
        GradientOpacityStop &stop = map.stops.opacities.emplace_back();
        place(stop);
        stop.opacity = std::clamp(double(reader.Number(2)) / 255, 0.0, 1.0);
    }
    const auto byLocation = [](const auto &a, const auto &b) { return a.location < b.location; };
    std::stable_sort(map.stops.colours.begin(), map.stops.colours.end(), byLocation);
    std::stable_sort(map.stops.opacities.begin(), map.stops.opacities.end(), byLocation);
    reader.Number(2); // expansion
    map.stops.smoothness = std::clamp(double(reader.Number(2)) / 4096, 0.0, 1.0);
    reader.Number(2); // length
    if (reader.Number(2) != 0 && map.stops.unread.empty())
        map.stops.unread = "noise gradients";
    return map;
}

AdjustmentSettings ReadSettings(SectionReader &reader, const std::string &key)
{
    if (key == "levl")
        return ReadLevels(reader);
    if (key == "curv")
        return ReadCurves(reader);
    if (key == "brit") {
        const int brightness = Signed16(reader);
        return BrightnessContrastSettings{brightness, Signed16(reader), true};
    }
    if (key == "hue2")
        return ReadHueSaturation(reader);
    if (key == "nvrt")
        return InvertSettings{};
    if (key == "post")
        return PosterizeSettings{std::clamp(int(reader.Number(2)), 2, 255)};
    if (key == "thrs")
        return ThresholdSettings{std::clamp(int(reader.Number(2)), 1, 255)};
    if (key == "expA")
        return ReadExposure(reader);
    if (key == "mixr")
        return ReadChannelMixer(reader);
    if (key == "grdm")
        return ReadGradientMap(reader);
    return {};
}

} // namespace

std::string AdjustmentName(const std::string &key)
{
    const auto found = AdjustmentNames.find(key);
    return found == AdjustmentNames.end() ? std::string() : found->second;
}

void ReadAdjustment(SectionReader &reader, const std::string &key, std::uint64_t end,
                    Adjustment &adjustment)
{
    if (key == "CgEd" && adjustment.key == "brit") {
        ReadNewBrightness(reader, end, adjustment);
    } else if (adjustment.key.empty()) {
        adjustment.key = key;
        adjustment.settings = ReadSettings(reader, key);
    } else {
        adjustment.settings = {}; // two kinds in one layer are not known to mean anything
    }
    adjustment.readable = !std::holds_alternative<std::monostate>(adjustment.settings) &&
                          !reader.Failed() && reader.Position() <= end;
}
