// The art the start reads ahead is the art its windows show: all of it is
// taken by the game window's first paint, none is read for nothing.

#include "window/PuzzleWindow.h"
#include "controls/StartArt.h"
#include "window/StartupWindow.h"
#include "resources/Resources.h"
#include "settings/SharedState.h"
#include "support/FreshState.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>

#include <memory>
#include <thread>

using namespace tess;

class TestStartArt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A fresh process: no window art has been read before.
    void theStartTakesEveryPieceOfArtItReadsAhead()
    {
        test::freshState();
        shared().playMusic = false;
        shared().gameWindowLoaded = false;
        promiseArt(artOfTheStart());
        std::thread reader([] { readPromisedArt(); });

        std::unique_ptr<PuzzleWindow> game;
        StartupWindow splash([&]() -> QWidget* {
            game = std::make_unique<PuzzleWindow>();
            game->table().load();
            return game.get();
        });
        splash.load();
        reader.join();
        QVERIFY(game && game->isVisible());
        // The background's art is read for the first paint.
        QVERIFY(QTest::qWaitForWindowExposed(game.get()));
        game->grab();
        QCOMPARE(promisedArtLeft(), QStringList());
    }
};

TESSARON_TEST_MAIN(TestStartArt)
#include "test_start_art.moc"
