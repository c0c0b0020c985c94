#pragma once
// Listens to the sound effects instead of playing them.

#include "sound/Sounds.h"

#include <QList>
#include <QPair>

namespace tess::test {

class RecordingEffects : public EffectSink {
public:
    RecordingEffects() { setEffectSink(this); }
    ~RecordingEffects() override { setEffectSink(nullptr); }

    void play(qint16 number, const QByteArray&, bool wait) override { played.append({number, wait}); }

    int count(qint16 number) const
    {
        int n = 0;
        for (const auto& [played_number, wait] : played)
            n += played_number == number;
        return n;
    }

    QList<QPair<qint16, bool>> played; // number, waited
};

} // namespace tess::test
