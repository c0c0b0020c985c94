#pragma once
// Save and Load: the game in progress kept in one file, and taken up again
// only when the file and its picture can be read whole.

#include <QImage>
#include <QString>

namespace tess {

class GameTable;
class PuzzleTable;
class Steps;
struct SavedGame;

class SavedGameProcedures {
public:
    SavedGameProcedures(PuzzleTable& table, GameTable& game) : table_(table), game_(game) {}

    void saveGame();
    void loadGame();

private:
    struct SavedPicture {
        QString file;
        QImage image;
    };
    // The saved game's picture, or false (the player told) when it cannot be shown.
    bool readSavedPicture(const SavedGame& game, SavedPicture& picture);
    void takeUpSavedGame(Steps& step, const SavedGame& game, const SavedPicture& picture);
    void laySavedRows(const SavedGame& game);

    PuzzleTable& table_;
    GameTable& game_;
};

} // namespace tess
