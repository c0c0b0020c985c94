#pragma once
// Listens to the sound effects instead of playing them.

#include "sound/Sounds.h"
#include "util/Wait.h"

#include <QList>
#include <QPair>

namespace tess::test {

class RecordingEffects : public EffectSink {
public:
    RecordingEffects() { setEffectSink(this); }
    ~RecordingEffects() override { setEffectSink(nullptr); }

    void play(int number, const QByteArray&, bool wait) override
    {
        played.append({number, wait});
        if (wait && soundSeconds > 0)
            waitSeconds(soundSeconds); // timers run on while a sound is heard to its end
    }

    int count(int number) const
    {
        int n = 0;
        for (const auto& [played_number, wait] : played)
            n += played_number == number;
        return n;
    }

    QList<QPair<int, bool>> played; // number, waited
    double soundSeconds = 0;            // how long a waiting sound lasts
};

} // namespace tess::test
