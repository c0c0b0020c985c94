// One running copy of the game as far as the settings go: writes `count` keys
// of its own ("copy<id>key<n>") one after another into the shared settings
// file, as the options dialog and the game window do, says "written" and
// ends. Used by test_settings_sharing and test_shared_file_locks.

#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3)
        return 2;
    const QString id = arguments.at(1);
    const int count = arguments.at(2).toInt();
    for (int n = 0; n < count; ++n)
        tess::saveAppSetting(QStringLiteral("Tessaron"), QStringLiteral("Optionen"),
                          QStringLiteral("copy%1key%2").arg(id).arg(n), QString::number(n));
    // Every write made; those that wait for a lock go as the application ends.
    std::puts("written");
    std::fflush(stdout);
    return 0;
}
