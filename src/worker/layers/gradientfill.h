#pragma once

#include "shared/psd/layergradient.h"
#include "worker/layers/gradient.h"

#include <cstdint>
#include <string>

struct LayerRecord;

// The rectangle a gradient fill's shape is laid out in: the layer's bounds or the document's.
struct GradientBox {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// The box of a gradient fill aligned with its layer: the bounds of its vector mask's shapes,
// or of a mask that hides all outside its rectangle, else the document's, as they are where
// it is not aligned.
GradientBox GradientBoxOf(const LayerRecord &layer, std::int64_t width, std::int64_t height);

// The box of a gradient overlay: the layer's bounds where it aligns with the layer (those of a
// fill layer as GradientBoxOf finds them), else the document's.
GradientBox OverlayBoxOf(const LayerRecord &layer, const GradientFill &overlay, std::int64_t width,
                         std::int64_t height);

// What of a gradient's layout has no Photoshop picture to hold its drawing to, by name; "" where
// nothing: the linear and reflected shapes, centred.
std::string UnrenderedLayout(const GradientFill &fill);

// A gradient fill layer's pixels: each pixel's place along the gradient by the fill's shape,
// angle, scale and offset within its box, and the colour the gradient has there.
class GradientFillRows
{
public:
    GradientFillRows(const GradientFill &fill, ColorMode mode, const GradientBox &box);

    // Where the point (x, y) lies along the gradient: 0 at its start, 1 at its end.
    double Position(double x, double y) const;
    // The colours and opacity of `width` pixels of row y from x = left, `stride` floats apart.
    void Row(std::int64_t y, std::int64_t left, std::int64_t width, float *pixels,
             int stride) const;

private:
    const GradientFill &m_fill;
    Gradient m_gradient;
    double m_centreX;
    double m_centreY;
    double m_cos;
    double m_sin;
    double m_length; // of the gradient from start to end, or from the centre out
};
