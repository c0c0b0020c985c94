#include "game/LeftoverFiles.h"

#include "champions/ChampionsList.h"
#include "errors/ErrorReporter.h"
#include "table/SavedGame.h"
#include "resources/PictureCache.h"
#include "settings/SettingsStore.h"
#include "util/FileWrite.h"
#include "util/Paths.h"
#include "util/Trap.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace tess {

void sweepLeftoverFiles()
{
    trapped("Allgemein", "SweepLeftoverFiles", [](Steps& step) {
        step(50010, [] {
            for (const QString& file : {settingsFilePath(), ChampionsFile::path(), savedGamePath(),
                                        GameErrorReporter::logPath(QStringLiteral(".EPT")),
                                        GameErrorReporter::logPath(QStringLiteral(".ERR"))}) {
                const QFileInfo written(file);
                sweepLeftoverTemporaryFiles(written.absolutePath(), QRegularExpression::escape(written.fileName()));
            }
        });
        step(50020, [] { sweepLeftoverTemporaryFiles(pictureCacheFolder(), pictureCopyNames()); });
        // The player's own picture folder holds only what the game put there.
        step(50030, [] { sweepLeftoverTemporaryFiles(playerPicturesFolder(), QStringLiteral("[^/]+")); });
    });
}

} // namespace tess
