#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A JPEG file written a band of rows at a time, with the settings DevIL uses: baseline, the
// quality asked for, chroma at half size both ways. The file must not exist; what is left of it
// after a failure is the caller's to remove.
class JpegRows
{
public:
    JpegRows(const std::string &path, std::uint32_t width, std::uint32_t height, int quality);
    ~JpegRows();
    JpegRows(const JpegRows &) = delete;
    JpegRows &operator=(const JpegRows &) = delete;

    // `rows` rows of 8-bit RGB triplets, in order from the top.
    bool Write(const std::uint8_t *rgb, std::uint32_t rows);
    // Ends the stream and closes the file: false when anything could not be written.
    bool Finish();
    // Why the last call failed.
    const std::string &Failure() const { return m_failure; }

private:
    struct Encoder;
    std::unique_ptr<Encoder> m_encoder;
    std::uint32_t m_width;
    std::string m_failure;
};
