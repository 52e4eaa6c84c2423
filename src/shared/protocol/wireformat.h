#pragma once

// The conversation between the app and quillmere-worker, over the worker's stdin and stdout.
// Plain C++ so the worker links nothing but its decoders. Paths travel as raw bytes with a
// length in front, so any name Linux allows (newlines, bytes that are not UTF-8) gets through.
//
// Request:  'C', u32 source length, source bytes, u32 target length, target bytes, u8 options
// Response: u8 status, u32 detail length, detail bytes
// All u32 are little-endian.

#include <cstdint>
#include <optional>
#include <string>

namespace wire
{

enum class Status : std::uint8_t {
    Ok = 0,
    Unreadable = 1,    // could not be read or decoded
    AlreadyExists = 2, // the target is there already and was left alone
    Unwritable = 3,    // the JPEG file could not be written
    TooLarge = 4,      // the header promises more than we agree to decode
    // From here on set by the app, never sent by a worker.
    DecoderStopped = 5,   // the worker crashed on the file
    TimedOut = 6,         // the file took longer than its time limit
    ConverterStopped = 7, // the worker was killed from outside
    ConverterMissing = 8, // the worker program is missing or cannot start
    NotConverted = 9      // a stop came before the file's turn
};

// The longest any one file may take, on either side of the pipe: the app ends a worker past
// it, and the worker tells its decoders the same.
constexpr int MaxSecondsPerEntry = 3600;

// How to convert, beyond where from and where to. Both sides ship together, so a bit they do
// not both know is a broken stream.
struct Options {
    bool stripMetadata = false; // the JPEG file gets the picture only
};

struct Request {
    std::string source; // bytes of the source path
    std::string target; // bytes of the target path
    Options options = {};
};

struct Response {
    Status status = Status::Ok;
    std::string detail; // which decoder served an ok entry, or a word on a failure
};

std::string EncodeRequest(const Request &request);
std::string EncodeResponse(const Response &response);

// Each takes one whole message from the front of buffer and returns it, erasing its bytes;
// nullopt while the buffer holds only part of one. A malformed message also yields nullopt
// with malformed set, so neither side can be made to read past its buffer.
std::optional<Request> TakeRequest(std::string &buffer, bool &malformed);
std::optional<Response> TakeResponse(std::string &buffer, bool &malformed);

} // namespace wire
