#include "worker/stream/jpegrows.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace
{

// libjpeg's default on an error is exit(); this returns to the call that failed instead.
struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info)
{
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->back, 1);
}

} // namespace

struct JpegRows::Encoder {
    jpeg_compress_struct info = {};
    ErrorManager errors = {};
    std::FILE *file = nullptr;
    bool writing = false; // started, and nothing has failed or finished it since
};

namespace
{

// Each libjpeg call goes through here, in a frame that holds nothing to unwind.
template <typename Call> bool Guarded(ErrorManager &errors, Call call)
{
    if (setjmp(errors.back) != 0)
        return false;
    call();
    return true;
}

} // namespace

JpegRows::JpegRows(const std::string &path, std::uint32_t width, std::uint32_t height)
    : m_encoder(std::make_unique<Encoder>()), m_width(width)
{
    Encoder &e = *m_encoder;
    e.info.err = jpeg_std_error(&e.errors.manager);
    e.errors.manager.error_exit = OnError;
    // "x": never onto a file that appeared meanwhile.
    e.file = std::fopen(path.c_str(), "wbxe");
    if (e.file == nullptr) {
        m_failure = std::strerror(errno);
        return;
    }
    e.writing = Guarded(e.errors, [&] {
        jpeg_create_compress(&e.info);
        jpeg_stdio_dest(&e.info, e.file);
        e.info.image_width = width;
        e.info.image_height = height;
        e.info.input_components = 3;
        e.info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&e.info);
        jpeg_set_quality(&e.info, 99, TRUE);
        jpeg_start_compress(&e.info, TRUE);
    });
    if (!e.writing)
        m_failure = e.errors.message;
}

JpegRows::~JpegRows()
{
    jpeg_destroy_compress(&m_encoder->info);
    if (m_encoder->file != nullptr)
        std::fclose(m_encoder->file);
}

bool JpegRows::Write(const std::uint8_t *rgb, std::uint32_t rows)
{
    Encoder &e = *m_encoder;
    if (!e.writing)
        return false;
    const bool written = Guarded(e.errors, [&] {
        for (std::uint32_t y = 0; y < rows; ++y) {
            auto *row = const_cast<JSAMPLE *>(rgb + std::size_t(y) * m_width * 3);
            jpeg_write_scanlines(&e.info, &row, 1);
        }
    });
    if (!written)
        m_failure = e.errors.message;
    // A full disk shows here, long before the end.
    if (written && std::ferror(e.file))
        m_failure = std::strerror(errno);
    e.writing = written && m_failure.empty();
    return e.writing;
}

bool JpegRows::Finish()
{
    Encoder &e = *m_encoder;
    if (!e.writing)
        return false;
    e.writing = false;
    if (!Guarded(e.errors, [&] { jpeg_finish_compress(&e.info); })) {
        m_failure = e.errors.message;
        return false;
    }
    const bool flushed = std::fflush(e.file) == 0 && !std::ferror(e.file);
    const bool closed = std::fclose(e.file) == 0;
    e.file = nullptr;
    if (!flushed || !closed)
        m_failure = std::strerror(errno);
    return flushed && closed;
}
