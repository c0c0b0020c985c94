#include "controls/StartArt.h"

#include "language/Languages.h"

namespace tess {

QStringList artOfTheStart()
{
    QStringList names{QStringLiteral("splash_title.png"), QStringLiteral("splash_board.png"),
                      QStringLiteral("copyright.png")};
    for (int i = 0; i < 10; ++i)
        names << QStringLiteral("button_%1.png").arg(i);
    for (const auto& language : Languages)
        names << QString::fromLatin1(language.flagArt) + QStringLiteral("@2x.png");
    // The back sides' sheet (a BMP) is decoded by Qt's image readers, which
    // are not to be loaded before the application: it is read when shown.
    names << QStringLiteral("empty.png") << QStringLiteral("wrong.png") << QStringLiteral("joker.png")
          << QStringLiteral("digits.png");
    // The background's art is drawn at the first paint; the frame's colour is
    // a setting, read only once the application is up.
    names << QStringLiteral("logo.png") << QStringLiteral("timebar.png") << QStringLiteral("panel.png");
    return names;
}

} // namespace tess
