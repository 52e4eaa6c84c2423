#pragma once

// One layer of a PSD or PSB file as its record in the layer and mask section describes it:
// where its pixels lie and how it meets the layers below. Only what a renderer needs, and the
// keys of everything else, so that what is not rendered can be named.

#include "shared/psd/layeradjustment.h"
#include "shared/psd/layerartboard.h"
#include "shared/psd/layerfill.h"
#include "shared/psd/layergradient.h"
#include "shared/psd/layerpath.h"
#include "shared/psd/layerpattern.h"
#include "shared/psd/layerstyle.h"

#include <cstdint>
#include <string>
#include <vector>

struct LayerRect {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t bottom = 0;
    std::int32_t right = 0;

    std::int64_t Width() const { return std::int64_t(right) - left; }
    std::int64_t Height() const { return std::int64_t(bottom) - top; }
    bool IsEmpty() const { return Width() <= 0 || Height() <= 0; }
};

// Channel ids: 0.. colour, -1 transparency, -2 the layer mask, -3 the user's own mask where
// -2 holds one rendered from a vector mask.
enum class ChannelId { Transparency = -1, Mask = -2, RealMask = -3 };

struct LayerChannel {
    int id = 0;
    std::uint64_t offset = 0; // of its compression field
    std::uint64_t length = 0; // with that field
};

struct LayerMask {
    bool present = false;
    LayerRect rect;
    int defaultColor = 0; // 0 or 255: the mask outside its rectangle
    bool disabled = false;
    bool inverted = false;   // long out of use
    bool fromVector = false; // rendered by the writer from the vector mask
    int density = 255;
    double feather = 0;
};

// Section dividers (`lsct`, `lsdk`): a group's record follows its layers.
enum class Divider { None = 0, OpenGroup = 1, ClosedGroup = 2, GroupEnd = 3 };

// A block of additional layer information: its key and where its data lies.
struct LayerInfoBlock {
    std::string key;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct LayerRecord {
    LayerRect rect;
    std::vector<LayerChannel> channels;
    std::string blendMode = "norm"; // the four-character key
    int opacity = 255;
    bool clipped = false; // clipped to the layer below
    bool hidden = false;
    LayerMask mask;          // channel -2
    LayerMask realMask;      // channel -3
    int vectorDensity = 255; // of the vector mask
    double vectorFeather = 0;
    bool defaultBlendingRanges = true;
    std::string name;
    Divider divider = Divider::None;
    int fillOpacity = 255;
    bool knockout = false;
    bool blendClippedAsGroup = true;
    bool blendInteriorAsGroup = false; // `infx`: effects inside the layer blend with it alone
    bool restrictsChannels = false;    // `brst`: some channels kept out of the blend
    SolidColour solidFill;             // `SoCo`
    GradientFill gradientFill;         // `GdFl`
    PatternFill patternFill;           // `PtFl`
    VectorMask vectorMask;             // `vmsk` or `vsms`
    ShapeStyle shapeStyle;             // `vstk`
    Adjustment adjustment;             // `levl`, `curv` and the other adjustment blocks
    LayerStyle style;                  // `lfx2` or `lmfx`
    Artboard artboard;                 // `artb`, `artd` or `abdd`
    std::vector<LayerInfoBlock> blocks;

    bool Has(const std::string &key) const;
    // A fill or shape layer: its pixels are its fill as its vector mask cuts it.
    bool IsFillOrShape() const;
    // A fill layer saved without its pixels, as 16- and 32-bit documents keep them: its fill
    // is drawn where its vector mask lets it.
    bool FillsWithoutPixels() const { return IsFillOrShape() && rect.IsEmpty(); }
    bool IsAdjustment() const { return !adjustment.key.empty(); }
    const LayerChannel *Channel(int id) const;
};

struct LayerSection {
    std::vector<LayerRecord> layers; // bottom first, as stored
};
