#pragma once

#include "shared/result.h"
#include "support/psdwriter.h"
#include "worker/decoded.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>

using Layers = QList<PsdWriter::Layer>;

// Documents saved without their flattened picture, as Photoshop saves them, rebuilt from their
// layers by the plan and the compositor as the worker takes them.
struct LayerScene {
    using Colour = QList<int>; // stored 8-bit values of the colour channels
    // Two halves a whole JPEG block wide each, so that no colour bleeds from one into the other.
    static constexpr int Side = 32;
    static constexpr int Half = Side / 2;

    ColorMode mode;
    int depth;
    Layers layers;
    Colour left; // how the left half shows, in the mode's stored values
    Colour right;

    // What is wrong with the picture rebuilt from the layers; "" where nothing is.
    QString Fault() const;
};

// A white stand-in for the picture, flagged as one, and the layers bottom first.
QByteArray StandIn(ColorMode mode, int depth, const Layers &layers);
Result<Decoded> RebuildFromLayers(const QByteArray &bytes);
// The picture rebuilt from the layers as the JPEG file holds it; a null image and why not
// where the file is refused.
QImage RebuiltPicture(const QByteArray &bytes, QString &why);

// A layer of one colour, as opaque as `alpha`, over columns [left, left + width).
PsdWriter::Layer Flat(const LayerScene::Colour &colour, const QByteArray &blendMode = "norm",
                      int alpha = 255, int left = 0, int width = LayerScene::Side);
PsdWriter::Layer With(PsdWriter::Layer layer,
                      const std::function<void(PsdWriter::Layer &)> &change);
// The layers wrapped in a group: its end marker, the layers, then the group's own record.
Layers Group(
    const Layers &layers, const QByteArray &blendMode,
    const std::function<void(PsdWriter::Layer &)> &change = [](PsdWriter::Layer &) {});
// A mask hiding the left half; the right half shows.
PsdWriter::Mask LeftHidden();
