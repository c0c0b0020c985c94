#include "sound/MediaCommands.h"

#include "sound/AudioDevice.h"
#include "sound/Sequencer.h"

#include <QFile>
#include <QRegularExpression>

namespace tess {

namespace {

enum Result { Ok = 0, UnknownCommand = 274, AliasInUse = 289, NotOpen = 263, CannotOpenFile = 275 };

const QString Alias = QStringLiteral("midi");

} // namespace

int mciSendString(const QString& command, QString* reply)
{
    const QString text = command.simplified();
    Sequencer& sequencer = AudioDevice::instance().sequencer();

    static const QRegularExpression open(QStringLiteral("^open sequencer!(.+) alias (\\S+)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch opening = open.match(text);
    if (opening.hasMatch()) {
        if (opening.captured(2).compare(Alias, Qt::CaseInsensitive) != 0)
            return UnknownCommand;
        if (sequencer.isOpen())
            return AliasInUse;
        QFile file(opening.captured(1));
        if (!file.open(QIODevice::ReadOnly))
            return CannotOpenFile;
        return sequencer.openSong(file.readAll()) ? Ok : CannotOpenFile;
    }

    const QStringList words = text.toLower().split(u' ');
    if (words.size() < 2 || words[1] != Alias)
        return UnknownCommand;
    if (words[0] == QStringLiteral("close") && words.size() == 2) {
        if (!sequencer.isOpen())
            return NotOpen;
        sequencer.closeSong();
        return Ok;
    }
    if (!sequencer.isOpen())
        return NotOpen;
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
