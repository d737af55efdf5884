#pragma once

#include <QString>

// Plays a wave file without waiting for it. A new call replaces a sound
// still playing; a missing file or no audio device means silence.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void Play(const QString& path) = 0;
    // Reads the file ahead, where the player can, so a later Play never waits for the disk.
    virtual void Preload(const QString& /*path*/) {}
};
