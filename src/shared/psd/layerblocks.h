#pragma once

// The tagged blocks of additional layer information, in a layer record or after the global
// layer mask: a signature, a four-character key, a length and the data.

#include "shared/psd/layerrecord.h"

#include <initializer_list>
#include <optional>
#include <string>

class SectionReader;

// Four bytes as characters, such as a blend mode key.
std::string FourCharacters(SectionReader &reader);

// The blocks of a layer record up to `end`, each placed, and the few the renderer reads taken
// into the record. False when a block runs past `end`.
bool ReadLayerBlocks(SectionReader &reader, std::uint64_t end, bool psb, LayerRecord &layer);

// The first block after the global layer mask with one of `keys`.
std::optional<LayerInfoBlock> FindSectionBlock(SectionReader &reader, std::uint64_t end, bool psb,
                                               std::initializer_list<const char *> keys);

// The density and feather of the masks, after the mask flags that announce them.
void ReadMaskParameters(SectionReader &reader, LayerRecord &layer);
