#pragma once

#include <string>
#include <string_view>

// The 16 bytes of the MD5 digest of data: what IPTC digests and extended XMP GUIDs are made of.
std::string Md5Of(std::string_view data);

// The same as 32 upper-case hexadecimal digits.
std::string Md5HexOf(std::string_view data);
