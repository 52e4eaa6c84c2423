#pragma once

#include "shared/psd/psdheader.h"
#include "worker/layers/gradientfill.h"
#include "worker/layers/pathcoverage.h"
#include "worker/layers/pixelband.h"

#include <map>
#include <memory>
#include <string>

class LayerChannelRows;
class SectionReader;
struct LayerChannel;
struct LayerMask;
struct LayerRecord;
struct LayerRect;
struct Pattern;

// The mask the writer rendered from the layer's vector mask, the user's own multiplied in at
// full density; nullptr where there is none, or where either mask has a density of its own and
// the two are drawn apart.
const LayerChannel *RenderedVectorMask(const LayerRecord &layer);

// Row y of `band` from the pattern tiled from the document's corner, opaque, into `pixel`
// (the row's first of `colours` colours and an alpha).
void PatternRow(const Pattern &pattern, std::int64_t y, const PixelBand &band, float *pixel,
                int colours);

// A layer's own pixels and its masks, read a band at a time from top to bottom. Each channel's
// rows are read as bands reach them and let go once bands have passed them.
class LayerPixels
{
public:
    LayerPixels(const std::string &path, const PsdHeader &header);
    ~LayerPixels();
    LayerPixels(const LayerPixels &) = delete;
    LayerPixels &operator=(const LayerPixels &) = delete;

    // The layer's colours and transparency into `band` (its rectangle within the layer's),
    // its masks multiplied in. False when its data is damaged.
    bool Fill(const LayerRecord &layer, PixelBand &band);
    // What the layer's masks leave of each of `width` pixels of row y from x = left: 1 where
    // they leave all, or where it has none.
    bool MaskRow(const LayerRecord &layer, std::int64_t y, std::int64_t left, std::int64_t width,
                 float *factors);
    // The rows above `top` will not be asked for again.
    void Passed(std::int64_t top);
    const std::string &Damage() const { return m_damage; }

private:
    const unsigned char *Row(const LayerChannel &channel, const LayerRect &rect, std::int64_t y);
    bool ApplyMask(const LayerRecord &layer, const LayerMask &mask, int id, std::int64_t y,
                   std::int64_t left, std::int64_t width, float *factors);
    float Sample(const unsigned char *row, std::int64_t x) const;
    void ApplyVectorMask(const LayerRecord &layer, std::int64_t y, std::int64_t left,
                         std::int64_t width, float *factors);
    bool Colours(const LayerRecord &layer, std::int64_t y, const PixelBand &band, float *pixel);
    const GradientFillRows &GradientRows(const LayerRecord &layer);

    std::string m_path;
    PsdHeader m_header;
    int m_colours;
    std::unique_ptr<SectionReader> m_file;
    struct Open {
        std::unique_ptr<LayerChannelRows> rows;
        std::int64_t bottom;
    };
    std::map<const LayerChannel *, Open> m_open;
    std::map<const LayerRecord *, PathCoverage> m_paths;
    std::map<const LayerRecord *, GradientFillRows> m_gradients;
    std::string m_damage;
};
