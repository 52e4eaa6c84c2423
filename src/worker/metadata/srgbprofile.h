#pragma once

#include <string>

// A compact ICC profile of sRGB, made by LittleCMS on first use: what the JPEG file carries
// when its colours came through the document's own profile.
const std::string &SrgbProfile();
