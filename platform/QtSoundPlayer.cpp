#include "QtSoundPlayer.h"

#include <QSoundEffect>
#include <QUrl>

QtSoundPlayer::QtSoundPlayer(QObject* parent)
    : QObject(parent)
{
}

QSoundEffect* QtSoundPlayer::EffectFor(const QString& path)
{
    auto it = effects_.find(path);
    if (it != effects_.end())
        return it.value();
    auto* effect = new QSoundEffect(this);
    effect->setSource(QUrl::fromLocalFile(path));
    effects_.insert(path, effect);
    return effect;
}

void QtSoundPlayer::Preload(const QString& path)
{
    if (!path.isEmpty())
        EffectFor(path);
}

void QtSoundPlayer::Play(const QString& path)
{
    if (path.isEmpty())
        return;
    QSoundEffect* effect = EffectFor(path);
    if (playing_ && playing_ != effect)
        playing_->stop();
    playing_ = effect;
    effect->play();
}
