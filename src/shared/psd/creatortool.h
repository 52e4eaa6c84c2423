#pragma once

#include <string>

// The program that XMP metadata names as the document's creator tool (xmp:CreatorTool, as an
// attribute or an element), with non-ASCII characters as '?'; "" when it names none.
std::string CreatorToolOf(const std::string &xmp);
