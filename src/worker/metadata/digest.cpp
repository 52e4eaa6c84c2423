#include "worker/metadata/digest.h"

#include <nettle/md5.h>

std::string Md5Of(std::string_view data)
{
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, data.size(), reinterpret_cast<const std::uint8_t *>(data.data()));
    std::string digest(MD5_DIGEST_SIZE, '\0');
    md5_digest(&context, MD5_DIGEST_SIZE, reinterpret_cast<std::uint8_t *>(digest.data()));
    return digest;
}

std::string Md5HexOf(std::string_view data)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char byte : Md5Of(data)) {
        hex += Digits[static_cast<unsigned char>(byte) >> 4];
        hex += Digits[static_cast<unsigned char>(byte) & 0xF];
    }
    return hex;
}
