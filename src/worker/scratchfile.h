#pragma once

#include <string>

// The temporary JPEG file the worker has in hand. It goes when this object goes, and also when
// the process ends some other way: DevIL's JPEG writer calling exit(), or a crash in a decoder.
// Only one can be held at a time.
class ScratchFile
{
public:
    // Sets up the removal at exit and on fatal signals (but for crashes in a sanitized build);
    // call once, early in main.
    static void RemoveOnAbnormalEnd();

    // Removes any stale file of that name, left by an earlier worker with the same pid.
    explicit ScratchFile(const std::string &path);
    ~ScratchFile();
    ScratchFile(const ScratchFile &) = delete;
    ScratchFile &operator=(const ScratchFile &) = delete;

    // False when the path is too long to be kept for a signal handler (or to be a path at all).
    bool IsHeld() const { return m_held; }
    const std::string &Path() const { return m_path; }

private:
    std::string m_path;
    bool m_held = false;
};
