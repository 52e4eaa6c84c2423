#pragma once

#include "shared/psd/layergradient.h"
#include "shared/psd/psdheader.h"

#include <string>
#include <vector>

// A gradient as a document draws it: from a position along it to a colour in the document's
// mode (channel shares as the compositor keeps them) and an opacity. Stops keep their colours
// as the document does: a 32-bit document's as light, linear.
class Gradient
{
public:
    Gradient(const GradientStops &stops, ColorMode mode);

    // What keeps the gradient from being drawn as Photoshop draws it; "" where nothing does.
    const std::string &Unrendered() const { return m_unrendered; }
    // The colour channels At writes before the opacity.
    int Channels() const { return m_channels; }
    // The colour at `position` (0 to 1; the end stops' colours beyond) into `pixel`: its
    // colour channels, then its opacity. Only for a gradient with nothing Unrendered.
    void At(double position, float *pixel) const;

private:
    struct Stop {
        double location;
        std::vector<float> values;
        std::vector<double> slopes; // of each value, per unit of location
    };

    void AddColours(const GradientStops &stops, ColorMode mode);
    // What of stops whose colours all convert is not drawn as Photoshop draws it.
    std::string Unfaithful(const GradientStops &stops, ColorMode mode) const;
    static bool Slopes(std::vector<Stop> &stops, bool chords);
    static bool Settled(const std::vector<Stop> &stops, bool light);
    // The values at `position`, as light turned back into shares where `light`.
    static void Between(const std::vector<Stop> &stops, double position, bool light, float *out);

    int m_channels;
    std::vector<Stop> m_colours;
    std::vector<Stop> m_opacities;
    static constexpr std::size_t TableSteps = 4096;

    bool m_linearLight; // stops kept and blended as light
    bool m_evenlySpaced = true;
    std::string m_unrendered;
    std::vector<float> m_table; // the colours and opacity at each step along, for At
};
