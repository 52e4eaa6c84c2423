#pragma once

#include <string>

// What a decoder made of a file, on its way to the response and the JPEG file's tags.
struct Decoded {
    // The colour step's word, e.g. that an unusable profile was ignored; once a decoder has
    // named itself, its name first: "devil", "magick, damaged colour profile ignored".
    std::string detail;
    // The colours reached sRGB through the document's own profile (or as Lab, which needs
    // none): the JPEG file may say it is sRGB.
    bool throughProfile = false;

    Decoded NamedBy(const std::string &decoder) const
    {
        return {detail.empty() ? decoder : decoder + ", " + detail, throughProfile};
    }
};
