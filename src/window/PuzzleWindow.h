#pragma once
// The game window: draws the table's state and forwards clicks to it.

#include "game/PuzzleTable.h"

#include <QPixmap>
#include <QTimer>
#include <QSet>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QLabel;
class QPainter;
class QProgressBar;
class QToolButton;

namespace tess {

class HelpMenu;
class ImageControl;
class NetworkPlay;
class ScoreBox;

class PuzzleWindow : public QWidget, private TableListener, private TableServices {
    Q_OBJECT

public:
    explicit PuzzleWindow(QWidget* parent = nullptr);
    ~PuzzleWindow() override;

    PuzzleTable& table() { return table_; }
    // The network game of this window, made at the first use.
    NetworkPlay* network();

    // A 4:3 client area as large as the screen's available area allows.
    static QSize clientSizeFor(const QRect& available, const QMargins& frame);

    // A board cell's control, made when first needed: most boards use few of them.
    ImageControl* cell(int n) const;
    ImageControl* stack() const { return stack_; }
    ImageControl* preview() const { return preview_; }
    QToolButton* button(int i) const { return buttons_[std::size_t(i)]; }
    ImageControl* flag(int i) const { return flags_[std::size_t(i)]; }
    QLabel* playerLabel(int i) const { return labels_[std::size_t(i)]; }
    HelpMenu* helpMenu() const { return helpMenu_; }
    QWidget* scoreBox(int i) const;

Q_SIGNALS:
    void buttonPressed(int index);
    void flagClicked(int languageDigit);
    void cellClicked(int n);
    void stackClicked();
    // The window is on screen and painted for the first time.
    void firstPainted();

protected:
    // Tab and Shift+Tab go from group to group: stack, board, tool buttons, flags.
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TableServices: the dialogs and the help menu, over this window.
    bool choosePicture() override;
    void chooseBackSide() override;
    void showOptions() override;
    void showChampions() override;
    void showHelpMenu() override;

    // TableListener
    void cellChanged(int n) override;
    void stackChanged() override;
    void previewChanged() override;
    void pictureChanged() override;
    void backgroundChanged() override;
    void controlsChanged() override;

    static bool isGameDialog(QObject* object);
    // Once the window system has put its frame around the window: a window
    // that does not fit the work area with it is made smaller.
    void fitRealFrame();
    // The texts a screen reader hears, in the current language.
    void refreshSpokenTexts();
    void describeCell(int n);
    void describeStack();
    // Keyboard: moving within a group, and the focus following the game.
    void moveOnBoard(int from, int dx, int dy);
    void moveInRow(QWidget* from, int dx, int dy);
    QWidget* groupEntry(int group) const;
    int groupOf(const QWidget* widget) const;
    int boardCellForFocus() const;
    void followTheGame();
    void paintBackground(QPainter& painter, const QRect& area);
    void showImage(ImageControl* control, const ImageState& state);
    ImageControl* makeCell(int n) const;
    QImage faceImage(const ImageState& state) const;

    PuzzleTable table_;
    std::unique_ptr<NetworkPlay> network_;
    // Made by cell() when a board first shows them; null until then.
    mutable std::array<ImageControl*, CellCount> cells_{};
    QColor ringColour_{0, 200, 255};
    QTimer artRelease_; // lets the background's art go when it has not been drawn for a while
    ImageControl* stack_;
    ImageControl* preview_;
    ImageControl* copyright_;
    std::array<QToolButton*, 10> buttons_{};
    std::array<ImageControl*, Languages.size()> flags_{};
    std::array<QLabel*, 4> labels_{};
    std::array<ScoreBox*, 4> scores_{};
    QProgressBar* timeBar_;
    qint64 generation_ = 0;
    HelpMenu* helpMenu_ = nullptr;
    QSet<QObject*> openDialogs_; // dialogs opened over the window, not yet closed
    bool activatedOnce_ = false;
    bool firstPainted_ = false;
    bool frameFitted_ = false;
    int lastBoardCell_ = 0;           // where the keyboard was last on the board
    std::optional<FrameColour> ringFrame_; // the frame colour the focus ring was chosen for
    int spokenLanguage_ = -1;         // the language of the texts below
    QString cellName_, emptyText_, placedText_, wrongText_, jokerText_, piecesLeft_, pieceInHand_;
};

} // namespace tess
