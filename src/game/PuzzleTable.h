#pragma once
// The game window's rules and state (frmPuzzle), without a window: the board
// cells, the stack, the preview, the tool buttons, the flags, the player
// panels and the background, as plain data that the window draws, and the
// procedures that change them. Tests drive it without a screen.

#include "game/Layout.h"
#include "game/SharedState.h"
#include "game/TableState.h"
#include "resources/PictureClip.h"

#include <QImage>
#include <QObject>
#include <QTimer>

#include <array>
#include <vector>

namespace tess {

class PuzzleTable : public QObject {
    Q_OBJECT

public:
    PuzzleTable();
    ~PuzzleTable() override;

    void setListener(TableListener* listener) { listener_ = listener; }

    // --- the window's life
    void Form_Load();
    void Form_Activate();
    // The window's resize notification; the first one lays the window out.
    void Form_Resize(int clientWidth, int clientHeight, int twipsPerPixel = 15);
    // Closing the game window: stops the music, removes the language table
    // (when music is on) and ends the program.
    void Form_Unload();

    // --- layout
    void positionieren();
    void ResizeGame();
    void SizePlayers();
    void SetPlayer();
    void ShowNumber(qint32 Value, qint16 Player);
    // The language step: button tips and menu captions.
    void Sprache();

    // --- the turn state
    qint16 GameIdle = True;
    qint16 CurrentPiece = 0;
    qint16 WrongTries = 0;
    std::array<qint16, 3> WrongCell{};
    qint16 CurrentPlayer = 0;
    std::array<qint16, 501> JokerPiece{};
    qint32 TurnElapsed = 0;

    // --- what the window shows
    std::array<ImageState, CellCount> imgPuzz;
    ImageState imgStack;
    ImageState imgPreview;
    std::array<ButtonState, 10> PicBut;
    std::array<ButtonState, 5> imgLang; // German, English, Spanish, Italian, French
    std::array<LabelState, 4> lblPlayer;
    std::array<ScoreState, 4> picScore;
    QRect lblTime;
    QRect imgCopyright;
    std::array<QString, 3> menuCaptions; // help, e-mail, about
    QColor backColor = Qt::white;
    std::vector<PaintOp> background; // painted in order into the persistent background

    // --- pictures
    PictureClip clpImage;
    PictureClip clpNum;
    QImage previewPicture;
    QImage imgLeer;
    QImage imgFalsch;
    QImage imgJoker;
    QImage imgBack;

    bool LayoutDone = false;
    float LayoutScale = 0;
    LayoutMetrics metrics;

    // The idle animation: a joker mark on a random cell for 0.3 s at a time.
    QTimer& idleTimer() { return idle_; }
    int idleMarkedCell() const { return idleCell_; }

    // The language codes of the five flags, in their order.
    static constexpr std::array<qint16, 5> FlagLanguages{0, 1, 2, 3, 6};

private:
    void idleStep();
    void loadPicture(const QString& path);
    void notifyCell(int n);
    void notifyControls();

    TableListener* listener_ = nullptr;
    QTimer idle_;
    int idleCell_ = -1;
};

} // namespace tess
