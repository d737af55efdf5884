#pragma once

#include "SoundPlayer.h"

#include <QStringList>
#include <functional>

// Remembers which files the program asked to play.
class RecordingSoundPlayer final : public SoundPlayer
{
public:
    void Play(const QString& path) override
    {
        played.append(path);
        if (onPlay)
            onPlay(path);
    }
    QStringList played;
    std::function<void(const QString&)> onPlay;
};
