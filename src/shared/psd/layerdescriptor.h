#pragma once

// The values of an action descriptor, the structure Photoshop keeps settings of fill and
// adjustment layers in: each number by the path of keys that leads to it ("Clr .Rd  "), each
// object's class by its path ("Clr " -> "RGBC"), each enumerated value by its path.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

class SectionReader;

struct Descriptor {
    std::map<std::string, double> numbers;
    std::map<std::string, std::string> classes; // "" holds the outer one's
    std::map<std::string, std::string> enums;
    std::map<std::string, std::string> texts; // each UTF-16 unit's low byte, up to a nul

    std::optional<double> Number(const std::string &path) const;
    std::string ClassOf(const std::string &path) const;
};

// The descriptor from the reader's position, none of it past `end`; nullopt where it is
// damaged or holds a kind of value not read here.
std::optional<Descriptor> ReadDescriptor(SectionReader &reader, std::uint64_t end);

// A layer block's descriptor, after the version that comes first in each block holding one.
std::optional<Descriptor> ReadBlockDescriptor(SectionReader &reader, std::uint64_t end);
