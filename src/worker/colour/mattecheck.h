#pragma once

#include "worker/colour/colourstep.h"

#include <cstddef>

// Whether a composite's colour is already matted on white, as Photoshop and GIMP store it, or
// left unmatted, as ImageMagick and Krita store it: in a matted composite no colour value lies
// below white x (1 - alpha), wholly clear pixels aside. Fed the samples band by band, in any number
// of pixels at a time.
class MatteCheck
{
public:
    explicit MatteCheck(const SampleLayout &layout);
    void Feed(const void *samples, std::size_t pixels);
    bool IsMatted() const { return !m_unmatted; }

private:
    SampleLayout m_layout;
    int m_checked;  // colour channels that are white at full value: Lab's lightness only
    int m_channels; // of a pixel, with alpha
    bool m_unmatted = false;
};
