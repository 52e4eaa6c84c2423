#pragma once

#include "shared/psd/layerartboard.h"
#include "shared/psd/psdheader.h"
#include "worker/layers/pixelband.h"

#include <vector>

// Whether the artboard is drawn here: a white, transparent or coloured background, its colour
// in the document's mode.
bool DrawsArtboard(const Artboard &artboard, ColorMode mode);

// The artboard's background, its layers composed over it in `band`, and nothing of `band`
// outside its rectangle: an artboard is a page of its own.
class ArtboardPage
{
public:
    ArtboardPage(const Artboard &artboard, ColorMode mode);

    void Background(PixelBand &band) const;
    void Clip(PixelBand &band) const;

private:
    bool Within(std::int64_t x, std::int64_t y) const;

    const Artboard &m_artboard;
    std::vector<float> m_colour; // with its alpha; none for a transparent background
};
