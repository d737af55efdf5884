#pragma once

#include "SoundPlayer.h"

#include <QStringList>

// Remembers which files the program asked to play.
class RecordingSoundPlayer final : public SoundPlayer
{
public:
    void Play(const QString& path) override { played.append(path); }
    QStringList played;
};
