#include "support/TestEnvironment.h"
class TestGameHost : public QObject { Q_OBJECT };
TESSARON_TEST_MAIN(TestGameHost)
#include "test_game_host.moc"
