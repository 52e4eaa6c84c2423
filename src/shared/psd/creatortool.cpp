#include "shared/psd/creatortool.h"

#include <algorithm>

std::string CreatorToolOf(const std::string &xmp)
{
    const std::string tag = "xmp:CreatorTool";
    const std::size_t at = xmp.find(tag);
    if (at == std::string::npos)
        return {};
    // xmp:CreatorTool="NAME" or <xmp:CreatorTool>NAME</xmp:CreatorTool>
    std::size_t start = at + tag.size();
    const bool attribute = xmp.compare(start, 2, "=\"") == 0;
    if (!attribute && xmp.compare(start, 1, ">") != 0)
        return {};
    start += attribute ? 2 : 1;
    const std::size_t end = xmp.find(attribute ? '"' : '<', start);
    if (end == std::string::npos)
        return {};
    std::string name = xmp.substr(start, std::min<std::size_t>(end - start, 64));
    std::replace_if(
        name.begin(), name.end(), [](char c) { return (c & 0x80) != 0; }, '?');
    return name;
}
