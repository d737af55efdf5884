#pragma once

#include "SoundPlayer.h"

#include <QHash>
#include <QObject>

class QSoundEffect;

// The program's sound player: one QSoundEffect per file, loaded on first use
// (or by Preload at start-up) so that playing never waits for the disk.
class QtSoundPlayer final : public QObject, public SoundPlayer
{
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);

    void Preload(const QString& path) override;
    void Play(const QString& path) override;

private:
    QSoundEffect* EffectFor(const QString& path);

    QHash<QString, QSoundEffect*> effects_;
    QSoundEffect* playing_ = nullptr;
};
