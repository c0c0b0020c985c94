#include "game/PuzzleTable.h"

#include "game/TableHelpers.h"
#include "resources/BackSides.h"
#include "resources/PictureRing.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "sound/AudioDevice.h"
#include "sound/Sounds.h"
#include "util/Files.h"
#include "util/Numbers.h"
#include "util/Paths.h"
#include "util/ProcedureGate.h"
#include "util/ProgramEnd.h"
#include "util/Random.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"

#include <QCoreApplication>
#include <QFile>

namespace tess {

using table::cellAt;

namespace {

constexpr int IdleInterval = 300;
const std::array<QString, 4> DefaultNames = {QStringLiteral("Reridu"), QStringLiteral("Zavaro"),
                                             QStringLiteral("Vedave"), QStringLiteral("Vodez")};

} // namespace

PuzzleTable::PuzzleTable()
{
    moveClock_.setInterval(500);
    connect(&moveClock_, &QTimer::timeout, this, &PuzzleTable::moveClockTick);
    idle_.setInterval(IdleInterval);
    idle_.setTimerType(Qt::PreciseTimer);
    // The idle animation's steps run through the gate like every procedure.
    connect(&idle_, &QTimer::timeout, this, [this] { ProcedureGate::instance().run([this] { idleStep(); }, false); });
    ProcedureGate::instance().setIdleHandler(this, [this] { whenIdle(); });
    for (std::size_t i = 0; i < 4; ++i) {
        playerLabels[i].text = DefaultNames[i];
        playerLabels[i].geometry.setSize(DesignLabelSize);
        scoreBoxes[i].geometry.setSize(DesignScoreSize);
    }
    toolButton(ToolButton::Hint).enabled = false; // the hint waits for a piece in hand
}

PuzzleTable::~PuzzleTable()
{
    ProcedureGate::instance().clearIdleHandler(this);
}

bool PuzzleTable::procedureRunning() const
{
    return ProcedureGate::instance().busy();
}

TableServices& PuzzleTable::services()
{
    // Until the window plugs its own in, the buttons open nothing.
    class NoServices : public TableServices {
        bool choosePicture() override { return false; }
        void chooseBackSide() override {}
        void showOptions() override {}
        void showChampions() override {}
        void showHelpMenu() override {}
    };
    static NoServices none;
    return services_ ? *services_ : none;
}

void PuzzleTable::play(SoundEffect effect, bool wait)
{
    // Each screen of a network game hears it as its own options say.
    if (network_)
        network_->sound(int(effect));
    if (shared().playSounds)
        playSoundEffect(int(effect), wait);
}

void PuzzleTable::setTimeBar(double width)
{
    timeBarWidth = width;
    timeBar.setWidth(std::max(1, near(width)));
    notifyControls();
}

void PuzzleTable::notifyCell(int n)
{
    if (listener_)
        listener_->cellChanged(n);
    if (secondListener_)
        secondListener_->cellChanged(n);
}

void PuzzleTable::notifyAllCells()
{
    for (int n = 0; n < CellCount; ++n)
        notifyCell(n);
}

void PuzzleTable::notifyControls()
{
    notify(&TableListener::controlsChanged);
}

void PuzzleTable::loadChosenPicture(const QString& fileName, bool fallBack)
{
    SharedState& s = shared();
    QImage picture;
    if (s.pictureSource == PictureSource::BuiltIn) {
        picture = takeCarriedPicture(addInt16(qint16(s.pictureNumber), 100));
    } else {
        // Only a file of a picture folder (the player's, else the program's):
        // a name that leads out of it takes
        // the fall-back. At the start, so does a file that cannot be read at
        // once (missing, a FIFO, a device, a huge file), which would otherwise
        // hang or flood every start.
        const bool usable = isPictureFileName(fileName) && (!fallBack || isSaneFile(pictureFilePath(fileName), MaxPictureFileBytes));
        s.pictureFile = usable ? pictureFilePath(fileName) : picturesFolder() + QStringLiteral("puzzle01.jpg");
        picture = loadPictureFile(s.pictureFile, largestBoardPixels()); // no larger than a board can show it
    }
    showPicture(picture);
}

void PuzzleTable::decodeChosenPictureAhead()
{
    // Only what load will ask for: the same settings, path and size, or the
    // same carried picture. A file that is not there or not a picture, or an
    // Album that is no number, is left to load to report: no trap is set up
    // yet. A carried picture's error is raised when load takes it.
    ignoringErrors([&](Steps& step) {
        step(50010, [&] {
            if (pictureSourceOf(readIntegerSetting(keys::pictureSource)) == PictureSource::BuiltIn) {
                decodeCarriedAhead(addInt16(readIntegerSetting(keys::pictureNumber), 100));
                return;
            }
            const QString fileName = readSetting(keys::pictureFile);
            if (isPictureFileName(fileName) && isSaneFile(pictureFilePath(fileName), MaxPictureFileBytes))
                decodeAhead(pictureFilePath(fileName), largestBoardPixels());
        });
    });
}

void PuzzleTable::showPicture(const QImage& picture)
{
    // The thumbnail shows the same picture: decoded once, shared by both.
    pieceCutter.setPicture(picture);
    previewPicture = picture;
    notify(&TableListener::pictureChanged, &TableListener::previewChanged);
}

void PuzzleTable::load()
{
    SharedState& s = shared();
    const SettingsAction action; // settings reset to their defaults are written back together
    trapped("frmPuzzle", "Form_Load", [&](Steps& step) {
        // The numbers start at 50020: the generator is seeded from the clock at every draw, not here.
        step(50020, [&] { s.pictureSource = pictureSourceOf(readIntegerSetting(keys::pictureSource)); });
        step(50030, [&] { s.pictureNumber = readIntegerSetting(keys::pictureNumber); });
        step(50040, [&] {
            // The file name is read only for a picture file; a missing file falls back to puzzle01.jpg.
            loadChosenPicture(s.pictureSource == PictureSource::File ? readSetting(keys::pictureFile, QString::number(s.pictureFileIndex)) : QString(), true);
        });
        step(50050, [&] { s.backSide = readIntegerSetting(keys::backSide); });
        step(50060, [&] { fillBoardSizes(); });
        step(50070, [&] { s.sizeIndex = readIntegerSetting(keys::sizeIndex); });
        step(50080, [&] {
            s.boardRows = boardSize(s.sizeIndex).rows;
            s.boardCols = boardSize(s.sizeIndex).cols;
        });
        step(50090, [&] { s.playMusic = readOnOffSetting(keys::playMusic); });
        step(50100, [&] { s.repeatSong = songRepeatOf(readIntegerSetting(keys::repeatSong)); });
        step(50110, [&] { s.playSounds = readOnOffSetting(keys::playSounds); });
        step(50120, [&] { s.showGrid = readOnOffSetting(keys::showGrid); });
        step(50130, [&] { boardCells[0].border = s.showGrid; });
        step(50140, [&] {
            for (std::size_t n = 1; n < boardCells.size(); ++n) {
                boardCells[n] = boardCells[0];
                boardCells[n].visible = false;
            }
        });
        step(50150, [&] { backPicture = backSideCutter().cell(s.backSide); });
        step(50160, [&] { s.useJokers = readOnOffSetting(keys::useJokers); });
        step(50170, [&] { s.offerHints = readOnOffSetting(keys::offerHints); });
        step(50180, [&] {
            s.showPreview = readOnOffSetting(keys::showPreview);
            previewCell.visible = s.showPreview;
        });
        step(50190, [&] { s.frameColour = frameColourOf(readIntegerSetting(keys::frameColour)); });
        step(50200, [&] { s.timeLimit = readOnOffSetting(keys::timeLimit); });
        step(50210, [&] {
            s.autoDraw = readOnOffSetting(keys::autoDraw);
            readAddedOnOffOptions(s); // the on/off options added since, in one go
        });
        step(50220, [&] { s.playerCount = readIntegerSetting(keys::playerCount); });
        step(50230, [&] {
            for (std::size_t i = 0; i < 4; ++i) {
                s.names[i] = readSetting(keys::playerLabels[i], QString());
                if (s.names[i].isEmpty())
                    s.names[i] = playerLabels[i].text;
            }
        });
        step(50240, [&] {
            game_.finish();
            s.gameWindowLoaded = true;
        });
        step(50250, [&] { backColor = Qt::black; });
        // The hidden picture holders of the window's design.
        step(50260, [&] {
            emptyPicture = loadArt(QStringLiteral("empty.png"));
            wrongPicture = loadArt(QStringLiteral("wrong.png"));
            jokerPicture = loadArt(QStringLiteral("joker.png"));
            digitCutter.setPicture(loadArt(QStringLiteral("digits.png")));
            digitCutter.setRows(1);
            digitCutter.setCols(10);
        });
    });
    // A picture file that could not be decoded has been reported; the game
    // goes on with a picture it can show rather than with blank pieces.
    if (pieceCutter.picture().isNull() && hasCarriedItem(201, QStringLiteral("bitmap")))
        showPicture(carriedPicture(201));
    notify(&TableListener::pictureChanged, &TableListener::stackChanged, &TableListener::previewChanged);
    notifyControls();
}

void PuzzleTable::greetOnActivation()
{
    SharedState& s = shared();
    trapped("frmPuzzle", "Form_Activate", [&](Steps& step) {
        step(50010, [&] {
            if (s.playSounds)
                playSoundEffect(int(SoundEffect::Click), false);
        });
        step(50020, [&] { applyLanguage(); });
        step(50030, [&] { saveIntegerSetting(keys::language, s.language); });
        step(50040, [&] { arrangePlayerPanels(); });
        step(50050, [&] {
            if (s.playMusic)
                Music::instance().startSong();
        });
        step(50060, [&] {
            if (game_.idle() && !idle_.isActive())
                idle_.start();
        });
    });
}

void PuzzleTable::stopIdleAnimation()
{
    idle_.stop();
    if (idleCell_ >= 0 && cellAt(boardCells, idleCell_).face == Face::Joker) {
        cellAt(boardCells, idleCell_).face = Face::Empty;
        notifyCell(idleCell_);
    }
    idleCell_ = -1;
}

void PuzzleTable::idleStep()
{
    trapped("frmPuzzle", "Form_Activate", [&](Steps& step) {
        step(50010, [&] {
            if (!game_.idle()) {
                stopIdleAnimation();
                return;
            }
            // The last mark goes, whatever the cell showed before it.
            if (idleCell_ >= 0) {
                cellAt(boardCells, idleCell_).face = Face::Empty;
                notifyCell(idleCell_);
            }
            const int cells = shared().boardRows * shared().boardCols;
            idleCell_ = -1; // until a cell is marked
            const int cell = randomBetween(0, toInt16(cells - 1));
            cellAt(boardCells, cell).face = Face::Joker;
            idleCell_ = cell;
            notifyCell(idleCell_);
        });
    });
}

void PuzzleTable::layOutOnce(int clientWidth, int clientHeight, int twipsPerPixel)
{
    trapped("frmPuzzle", "Form_Resize", [&](Steps& step) {
        step(50010, [&] {
            if (layoutDone)
                return;
            layoutDone = true;
            metrics = LayoutMetrics{clientWidth, clientHeight, twipsPerPixel};
            layOut();
        });
    });
}

bool PuzzleTable::layOutAgain(int clientWidth, int clientHeight, int twipsPerPixel)
{
    if (!layoutDone || !game_.idle())
        return false;
    const bool playersShown = playerLabels[0].visible || scoreBoxes[0].visible;
    layoutDone = false;
    background.clear();
    layOutOnce(clientWidth, clientHeight, twipsPerPixel);
    if (playersShown)
        arrangePlayerPanels();
    return true;
}

void PuzzleTable::endProgram()
{
    // A copy: saying goodbye takes the hooks away.
    if (SeatNetwork* network = network_)
        network->ending();
    ignoringErrors([&](Steps& step) {
        step(50010, [] { QCoreApplication::processEvents(); });
        step(50020, [&] {
            if (!shared().playMusic)
                return;
            Music::instance().closeMusic();
            QFile::remove(shared().languageTableFile);
            Music::instance().songTimer().stop();
        });
        step(50030, [] { AudioDevice::instance().close(); });
        step(50040, [] { endProgramAtOnce(0); });
    });
}

} // namespace tess
