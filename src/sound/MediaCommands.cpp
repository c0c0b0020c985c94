#include "sound/MediaCommands.h"

#include "sound/AudioDevice.h"
#include "sound/Sequencer.h"

#include <QFile>
#include <QRegularExpression>

namespace tess {

namespace {

enum Result { Ok = 0, UnknownCommand = 274, AliasInUse = 289, NotOpen = 263, CannotOpenFile = 275 };

const QString SongAlias = QStringLiteral("midi");

} // namespace

int sendMediaCommand(const QString& command, QString* reply)
{
    const QString text = command.simplified();

    static const QRegularExpression open(QStringLiteral("^open sequencer!(.+) alias (\\S+)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch opening = open.match(text);
    if (opening.hasMatch()) {
        if (opening.captured(2).compare(SongAlias, Qt::CaseInsensitive) != 0)
            return UnknownCommand;
        // Only a song to be heard opens the device.
        Sequencer& sequencer = AudioDevice::instance().sequencer();
        if (sequencer.isOpen())
            return AliasInUse;
        QFile file(opening.captured(1));
        if (!file.open(QIODevice::ReadOnly))
            return CannotOpenFile;
        return sequencer.openSong(file.readAll()) ? Ok : CannotOpenFile;
    }

    const QStringList words = text.toLower().split(u' ');
    if (words.size() < 2 || words[1] != SongAlias)
        return UnknownCommand;
    // Closing or asking after a song needs no device: without a sequencer no
    // song is open (music switched off while it was never on).
    Sequencer* const songs = AudioDevice::instance().existingSequencer();
    if (!songs || !songs->isOpen())
        return NotOpen;
    Sequencer& sequencer = *songs;
    if (words[0] == QStringLiteral("close") && words.size() == 2) {
        sequencer.closeSong();
        return Ok;
    }
    if (words[0] == QStringLiteral("play") && words.size() == 2) {
        sequencer.play();
        return Ok;
    }
    if (words[0] == QStringLiteral("status") && words.size() == 3) {
        long value = 0;
        if (words[2] == QStringLiteral("length"))
            value = sequencer.length();
        else if (words[2] == QStringLiteral("position"))
            value = sequencer.position();
        else
            return UnknownCommand;
        if (reply)
            *reply = QString::number(value);
        return Ok;
    }
    return UnknownCommand;
}

} // namespace tess
