#include "window/PuzzleWindow.h"

#include "champions/ChampionsDialog.h"
#include "errors/ErrorDialog.h"
#include "controls/Accessibility.h"
#include "dialogs/BackChoiceDialog.h"
#include "window/HelpMenu.h"
#include "controls/ImageControl.h"
#include "netplay/NetworkPlay.h"
#include "dialogs/OptionsDialog.h"
#include "controls/PictureButton.h"
#include "dialogs/PictureChoiceDialog.h"
#include "controls/ScoreBox.h"
#include "window/StartupWindow.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "language/Languages.h"
#include "resources/Resources.h"
#include "util/Checked.h"
#include "util/Dialogs.h"
#include "util/ProgramPages.h"
#include "util/StartTrace.h"
#include "util/Trap.h"
#include "util/WindowFit.h"

#include <QApplication>
#include <malloc.h>
#include <QCloseEvent>
#include <QFile>
#include <QFontMetrics>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QGuiApplication>
#include <QLabel>
#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QToolButton>


namespace tess {

namespace {

const QColor Gold(255, 204, 0);

// The used part of the time bar: a flat strip over the bar's art, growing in
// width. Painted here rather than by a style sheet, which would be parsed on
// the way to the window; its value still tells a screen reader the time gone.
class UsedTimeStrip : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(64, 64, 0)); }
};

// A game dialog opened from the window: loaded, then shown until closed.
// True when it was closed with OK.
template <typename Dialog>
bool runDialog(QWidget* parent)
{
    Dialog dialog(parent);
    dialog.load();
    return dialog.exec() == QDialog::Accepted;
}

QHash<QString, QImage>& artCache()
{
    static QHash<QString, QImage> cache;
    return cache;
}

QImage art(const QString& name)
{
    QHash<QString, QImage>& cache = artCache();
    auto found = cache.find(name);
    if (found == cache.end())
        found = cache.insert(name, loadArt(name));
    return *found;
}

// The double-size art where the plain one would be blown up past its own
// pixels: on dense screens, and for the banner across a wide window. The
// plain one is then read for its size only, not kept.
QImage artFor(const QString& name, const QSizeF& devicePixels)
{
    static QHash<QString, QSize> plainSizes;
    const auto fits = [&devicePixels](const QSize& plain) {
        return devicePixels.width() <= plain.width() * 1.1 && devicePixels.height() <= plain.height() * 1.1;
    };
    auto size = plainSizes.find(name);
    if (size == plainSizes.end()) {
        const QImage plain = artCache().contains(name) ? artCache().value(name) : loadArt(name);
        size = plainSizes.insert(name, plain.size());
        if (fits(plain.size()))
            artCache().insert(name, plain);
    }
    if (fits(*size))
        return art(name);
    QString dense = name;
    dense.insert(dense.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
    return art(QFile::exists(QStringLiteral(":/carried/raw/") + dense + QStringLiteral(".raw")) ? dense : name);
}

// The bar grows in width; its value tells a screen reader how much of the time is gone.
void prepareTimeBar(QProgressBar* bar)
{
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->hide();
}

// Tool button i's icon, with its double-size picture on a dense screen. The
// icons hold the only copies: the art read for them is not kept.
QIcon toolButtonIcon(std::size_t i, bool denseScreen)
{
    QIcon icon(QPixmap::fromImage(loadArt(QStringLiteral("button_%1.png").arg(i))));
    if (denseScreen) {
        QPixmap dense = QPixmap::fromImage(loadArt(QStringLiteral("button_%1@2x.png").arg(i)));
        dense.setDevicePixelRatio(2);
        icon.addPixmap(dense);
    }
    return icon;
}

PictureButton* makeToolButton(QWidget* window, const QIcon& icon)
{
    auto* button = new PictureButton(window);
    button->setIcon(icon);
    button->setAutoRaise(false);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// The flag of language i, named by its language in that language.
ImageControl* makeFlag(QWidget* window, std::size_t i)
{
    auto* flag = new ImageControl(window);
    // Drawn from the double-size picture, so the flag stays sharp on dense screens.
    flag->setPicture(art(QString::fromLatin1(Languages[i].flagArt) + QStringLiteral("@2x.png")), 0);
    flag->setCursor(Qt::PointingHandCursor);
    flag->setFocusPolicy(Qt::StrongFocus);
    setAccessibleRole(flag, QAccessible::Button);
    flag->setAccessibleName(flagLanguageName(int(i)));
    flag->hide();
    return flag;
}

constexpr double NamePointSize = 12;

QFont playerNameFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(NamePointSize);
    font.setBold(true);
    return font;
}

// A name label a small window made lower than its design height takes a font
// as much smaller, so that the name is not cut at the top and bottom; a
// network game's words ("Your turn, Anna") as much smaller again as they
// are wider than the label.
void fitNameFont(QLabel* label, double fontScale, const QString& words)
{
    const double designHeight = near(DesignLabelSize.height() * fontScale);
    double pointSize = NamePointSize * std::min(1.0, label->height() / designHeight);
    if (!words.isEmpty()) {
        QFont font = label->font();
        font.setPointSizeF(pointSize);
        const int wide = QFontMetrics(font).horizontalAdvance(words) + 4;
        if (wide > label->width() && label->width() > 0)
            pointSize = std::max(1.0, pointSize * label->width() / wide);
    }
    if (label->font().pointSizeF() == pointSize)
        return;
    QFont font = label->font();
    font.setPointSizeF(pointSize);
    label->setFont(font);
}

QLabel* makePlayerLabel(QWidget* window, const QFont& font)
{
    auto* label = new QLabel(window);
    label->setTextFormat(Qt::PlainText); // a player's name is shown as typed
    label->setFont(font);
    label->setAutoFillBackground(true);
    label->setAlignment(Qt::AlignCenter);
    label->hide();
    return label;
}

// The dialogs the tool buttons open, over the window; returns the help menu.
} // namespace

QSize PuzzleWindow::clientSizeFor(const QRect& available, const QMargins& frame)
{
    const int width = available.width() - frame.left() - frame.right();
    const int height = available.height() - frame.top() - frame.bottom();
    if (width * 3 >= height * 4)
        return QSize(height * 4 / 3, height);
    return QSize(width, width * 3 / 4);
}

PuzzleWindow::PuzzleWindow(QWidget* parent)
    : QWidget(parent)
    , stack_(new ImageControl(this))
    , preview_(new ImageControl(this))
    , copyright_(new ImageControl(this))
    , timeBar_(new UsedTimeStrip(this))
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The cells, the stack and the panels paint themselves: the background's
    // art is drawn again only where a control goes away or the window is laid
    // out anew. Between such moments it need not stay in memory (the frame
    // alone is over a megabyte); reading it again takes a millisecond.
    artRelease_.setSingleShot(true);
    artRelease_.setInterval(1000);
    connect(&artRelease_, &QTimer::timeout, this, [] {
        artCache().clear();
        malloc_trim(0);
    });
    table_.setListener(this);

    stack_->hide();
    preview_->hide();
    connect(stack_, &ImageControl::clicked, this, &PuzzleWindow::stackClicked);
    copyright_->setPicture(art(QStringLiteral("copyright.png")), 0);
    copyright_->hide();
    prepareTimeBar(timeBar_);
    installAccessibility();
    setAccessibleRole(stack_, QAccessible::Button);
    setAccessibleRole(preview_, QAccessible::Graphic);
    stack_->setFocusPolicy(Qt::StrongFocus);
    connect(stack_, &ImageControl::arrowPressed, this, [this](int, int) { moveOnBoard(boardCellForFocus(), 0, 0); });

    // The double-size icons only where a screen is dense enough to show them.
    const bool denseScreen = qApp->devicePixelRatio() > 1;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = makeToolButton(this, toolButtonIcon(i, denseScreen));
        buttons_[i]->installEventFilter(this);
        buttons_[i]->hide();
        connect(buttons_[i], &QToolButton::clicked, this, [this, i] { Q_EMIT buttonPressed(int(i)); });
    }
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        flags_[i] = makeFlag(this, i);
        const int language = PuzzleTable::FlagDigits[i];
        connect(flags_[i], &ImageControl::arrowPressed, this, [this, i](int dx, int dy) { moveInRow(flags_[i], dx, dy); });
        connect(flags_[i], &ImageControl::clicked, this, [this, language] { Q_EMIT flagClicked(language); });
    }
    const QFont nameFont = playerNameFont();
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = makePlayerLabel(this, nameFont);
        scores_[i] = new ScoreBox(table_.digitCutter, this);
        scores_[i]->hide();
    }

    // The dialogs the tool buttons open, over this window.
    table_.setServices(this);
    helpMenu_ = new HelpMenu(this, [this] {
        StartupWindow about({}, this);
        about.setFlagHandler([this](int languageDigit) { table_.chooseLanguage(languageDigit); });
        about.load();
        about.exec();
    });

    qApp->installEventFilter(this);
    connect(this, &PuzzleWindow::cellClicked, this, [this](int n) { table_.cellClicked(n); });
    connect(this, &PuzzleWindow::stackClicked, this, [this] { table_.stackClicked(); });
    connect(this, &PuzzleWindow::buttonPressed, this, [this](int i) { table_.buttonPressed(i); });
    connect(this, &PuzzleWindow::flagClicked, this, [this](int languageDigit) { table_.flagClicked(languageDigit); });

    // The whole window with its frame fits the work area: panels stay visible.
    setFixedSize(clientSizeFor(workArea(this), windowFrame(this)));
    placeWindow(this);
}

bool PuzzleWindow::choosePicture()
{
    return runDialog<PictureChoiceDialog>(this);
}

void PuzzleWindow::chooseBackSide()
{
    runDialog<BackChoiceDialog>(this);
}

void PuzzleWindow::showOptions()
{
    OptionsDialog dialog(this);
    dialog.setJoining(table_.remote());
    dialog.setNetworkGameOpener([this, &dialog] {
        if (NetworkPlay* session = network())
            session->openDialog(&dialog);
    });
    dialog.load();
    dialog.exec();
}

void PuzzleWindow::showChampions()
{
    runDialog<ChampionsDialog>(this);
}

void PuzzleWindow::showHelpMenu()
{
    helpMenu_->popUp(table_.menuCaptions);
}

PuzzleWindow::~PuzzleWindow()
{
    network_.reset();
    table_.setListener(nullptr);
    table_.setServices(nullptr);
}

ImageControl* PuzzleWindow::cell(int n) const
{
    ImageControl*& control = at(cells_, n, "imgPuzz");
    if (!control)
        control = makeCell(n);
    return control;
}

ImageControl* PuzzleWindow::makeCell(int n) const
{
    auto* window = const_cast<PuzzleWindow*>(this);
    auto* control = new ImageControl(window);
    control->hide();
    connect(control, &ImageControl::clicked, window, [window, n] { Q_EMIT window->cellClicked(n); });
    connect(control, &ImageControl::arrowPressed, window, [window, n](int dx, int dy) { window->moveOnBoard(n, dx, dy); });
    setAccessibleRole(control, QAccessible::Button);
    control->setFocusPolicy(Qt::StrongFocus);
    control->setFocusColour(ringColour_);
    return control;
}

NetworkPlay* PuzzleWindow::network()
{
    trapped("PuzzleWindow", "LoadNetwork", [&](Steps& step) {
        if (network_)
            return;
        step(50010, [&] { network_ = std::make_unique<NetworkPlay>(table_); });
    });
    return network_.get();
}

QWidget* PuzzleWindow::scoreBox(int i) const
{
    return scores_[std::size_t(i)];
}

QImage PuzzleWindow::faceImage(const ImageState& state) const
{
    switch (state.face) {
    case Face::Empty: return table_.emptyPicture;
    case Face::Wrong: return table_.wrongPicture;
    case Face::Joker: return table_.jokerPicture;
    case Face::Back: return table_.backPicture;
    case Face::Piece:
        if (state.piece >= 0 && state.piece < table_.pieceCutter.rows() * table_.pieceCutter.cols()
            && !table_.pieceCutter.picture().isNull())
            return table_.pieceCutter.cell(state.piece);
        return {};
    }
    return {};
}

void PuzzleWindow::showImage(ImageControl* control, const ImageState& state)
{
    // The key tells a picture apart from the last one, so unchanged cells are not scaled again.
    const qint64 faceKey = state.face == Face::Piece ? state.piece : 1000 + int(state.face);
    const qint64 key = state.face == Face::Back || state.face == Face::Piece ? generation_ * 4096 + faceKey : faceKey;
    control->setPicture(faceImage(state), key);
    control->setGeometry(state.geometry);
    control->setBorder(state.border);
    // Inactive controls keep the focus they may have: the keyboard visits laid pieces too.
    control->setActive(state.enabled);
    control->setVisible(state.visible);
}

void PuzzleWindow::cellChanged(int n)
{
    // Told from inside the table's steps: an index outside raises 9 there.
    const ImageState& state = at(table_.boardCells, n, "imgPuzz");
    if (!at(cells_, n, "imgPuzz") && !state.visible)
        return; // a cell no board has shown yet stays unmade
    showImage(cell(n), state);
    describeCell(n);
}

void PuzzleWindow::stackChanged()
{
    showImage(stack_, table_.stackCell);
    describeStack();
    followTheGame();
}

void PuzzleWindow::previewChanged()
{
    preview_->setPicture(table_.previewPicture, generation_);
    preview_->setGeometry(table_.previewCell.geometry);
    preview_->setVisible(table_.previewCell.visible);
}

void PuzzleWindow::pictureChanged()
{
    ++generation_;
}

void PuzzleWindow::backgroundChanged()
{
    // Painted at the next paint, after the window is on screen.
    update();
}

void PuzzleWindow::paintBackground(QPainter& painter, const QRect& area)
{
    // Drawn where Qt asks rather than kept in a picture the size of the window:
    // the window's own buffer holds it between paints, and most of the
    // background lies under controls that paint themselves.
    painter.fillRect(area, table_.backColor);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PaintOp& op : table_.background) {
        switch (op.kind) {
        case PaintOp::Line:
            painter.setPen(op.colour);
            painter.drawLine(op.from, op.to);
            break;
        case PaintOp::Rectangle:
            painter.setPen(op.colour);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(op.from, op.to).normalized());
            break;
        case PaintOp::Art:
            if (op.target.intersects(area)) {
                painter.drawImage(op.target, artFor(op.art, op.target.size() * devicePixelRatioF()));
                artRelease_.start();
            }
            break;
        }
    }
}

void PuzzleWindow::controlsChanged()
{
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const ButtonState& state = table_.toolButtons[i];
        buttons_[i]->setGeometry(state.geometry);
        buttons_[i]->setIconSize(state.geometry.size());
        buttons_[i]->setToolTip(state.tip);
        buttons_[i]->setEnabled(state.enabled && table_.buttonWorksHere(ToolButton(i)));
        buttons_[i]->setVisible(state.visible);
    }
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        flags_[i]->setGeometry(table_.languageFlags[i].geometry);
        flags_[i]->setVisible(table_.languageFlags[i].visible);
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        const LabelState& state = table_.playerLabels[i];
        labels_[i]->setGeometry(state.geometry);
        // In a network game the label says when it is this screen's player's
        // turn and who is away; the screen reader hears the new text.
        const QString words = table_.seatWords(int(i));
        fitNameFont(labels_[i], table_.metrics.fontScale(), words);
        labels_[i]->setText(words.isEmpty() ? state.text : words);
        QPalette colours = labels_[i]->palette();
        colours.setColor(QPalette::Window, state.active ? Gold : Qt::black);
        colours.setColor(QPalette::WindowText, state.active ? Qt::black : Gold);
        labels_[i]->setPalette(colours);
        labels_[i]->setVisible(state.visible);
        scores_[i]->display(table_.scoreBoxes[i]);
    }
    timeBar_->setGeometry(table_.timeBar);
    timeBar_->setVisible(table_.layoutDone);
    const double width = table_.metrics.clientWidth > 0 ? table_.timeBar.width() * 100.0 / table_.metrics.clientWidth : 0;
    timeBar_->setValue(std::clamp(int(width), 0, 100));
    if (ringFrame_ != shared().frameColour) {
        // Controls change with every tick of the move clock: the ring only with the frame.
        ringFrame_ = shared().frameColour;
        ringColour_ = ringFrame_ == FrameColour::Black ? QColor(255, 204, 0) : QColor(0, 200, 255);
        for (ImageControl* control : cells_)
            if (control)
                control->setFocusColour(ringColour_);
        stack_->setFocusColour(ringColour_);
    }
    refreshSpokenTexts();
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        setSpokenName(buttons_[i], table_.toolButtons[i].tip);
    for (std::size_t i = 0; i < labels_.size(); ++i)
        setSpokenName(scores_[i], table_.playerLabels[i].text + QStringLiteral(": ") + QString::number(table_.scoreBoxes[i].digits.toInt()));
    describeStack();
    copyright_->setGeometry(table_.copyright);
    copyright_->setVisible(table_.layoutDone);
}

void PuzzleWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    paintBackground(painter, event->rect());
    // The first activation (a sound, the texts, the music) once the window is on
    // screen and painted, so that nothing of it delays the window.
    if (activatedOnce_ && !firstPainted_) {
        firstPainted_ = true;
        startMark("game window painted");
        Q_EMIT firstPainted();
        QTimer::singleShot(0, this, [this] {
            table_.activate();
            startMark("first activation");
            // What the start used and freed goes back to the system, and from
            // now on large pictures are mapped on their own again (main).
            mallopt(M_MMAP_THRESHOLD, 128 * 1024);
            mallopt(M_TRIM_THRESHOLD, 128 * 1024);
            malloc_trim(0);
        });
        // The carried items the start read (the art, the texts, the first
        // sound and song) are read again seldom if ever.
        QTimer::singleShot(1500, this, [] { releaseCarriedPages(); });
    }
}

void PuzzleWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    table_.layOutOnce(width(), height(), 1440 / dpi);
}

void PuzzleWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    fitRealFrame();
}

void PuzzleWindow::fitRealFrame()
{
    // The size came from an expected frame; a desktop with a taller title bar
    // would push the window's bottom under a panel. Checked once, as soon as
    // the real frame is known.
    const std::optional<QMargins> frame = realFrame(this);
    if (frameFitted_ || !frame)
        return;
    frameFitted_ = true;
    const QRect work = workArea(this);
    if (size().grownBy(*frame).height() <= work.height() && size().grownBy(*frame).width() <= work.width())
        return;
    const QSize client = clientSizeFor(work, *frame);
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    if (client.isEmpty() || !table_.layOutAgain(client.width(), client.height(), 1440 / dpi))
        return;
    setFixedSize(client);
    placeWindow(this);
}

bool PuzzleWindow::isGameDialog(QObject* object)
{
    // The game's own dialogs activate the window again when they close; message
    // and input boxes do not, and neither does coming back from another program.
    // Nor does the error report: an error of the activation itself would come
    // back with every activation, and a player answering Ignore would never
    // get out of it.
    auto* dialog = qobject_cast<QDialog*>(object);
    return dialog && dialog->isWindow() && !qobject_cast<QMessageBox*>(dialog) && !qobject_cast<QInputDialog*>(dialog)
           && !qobject_cast<ErrorDialog*>(dialog);
}

bool PuzzleWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* button = qobject_cast<QToolButton*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (button && button->parentWidget() == this) {
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                button->click();
                return true;
            }
            const int dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
            const int dy = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
            if (dx || dy) {
                moveInRow(button, dx, dy);
                return true;
            }
        }
    }
    if (event->type() == QEvent::Show && isVisible() && isGameDialog(watched)) {
        openDialogs_.insert(watched);
    } else if (event->type() == QEvent::Hide && openDialogs_.remove(watched)) {
        QTimer::singleShot(0, this, [this] { table_.activate(); });
    }
    return QWidget::eventFilter(watched, event);
}

void PuzzleWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (activatedOnce_)
        return;
    activatedOnce_ = true;
    startMark("game window shown");
    buttons_[0]->setFocus(Qt::OtherFocusReason); // the first thing to do: start a game
}

void PuzzleWindow::closeEvent(QCloseEvent* event)
{
    // Closing ends a network game on every screen: the host is asked first.
    if (!table_.mayEndGameForAll()) {
        event->ignore();
        return;
    }
    table_.close();
    event->accept();
}

void PuzzleWindow::refreshSpokenTexts()
{
    if (spokenLanguage_ == shared().language)
        return;
    spokenLanguage_ = shared().language;
    // Told after every change, also outside the table's procedures (at the
    // end of its load): a language base without texts leaves the names
    // empty, and the game's own language step reports it.
    ignoringErrors([&](Steps& step) {
        step(50010, [&] {
            cellName_ = langText(text::CellName);
            emptyText_ = langText(text::CellEmpty);
            placedText_ = langText(text::CellPlaced);
            wrongText_ = langText(text::CellWrong);
            jokerText_ = langText(text::CellJoker);
            piecesLeft_ = langText(text::PiecesLeft);
            pieceInHand_ = langText(text::PieceInHand);
            stack_->setAccessibleName(langText(text::StackName));
            timeBar_->setAccessibleName(langText(text::TimeBarName));
            preview_->setAccessibleName(langText(text::PreviewName));
        });
    });
    for (int n = 0; n < CellCount; ++n)
        describeCell(n);
}

void PuzzleWindow::describeCell(int n)
{
    if (spokenLanguage_ < 0)
        return;
    const int cols = std::max<int>(1, shared().boardCols);
    const ImageState& state = at(table_.boardCells, n, "imgPuzz");
    ImageControl* cell = at(cells_, n, "imgPuzz");
    if (!cell)
        return; // described when it is made
    setSpokenName(cell, QString(cellName_).replace(QStringLiteral("%1"), QString::number(n / cols + 1))
                            .replace(QStringLiteral("%2"), QString::number(n % cols + 1)));
    const QString& description = state.face == Face::Wrong   ? wrongText_
                                 : state.face == Face::Joker ? jokerText_
                                 : table_.game().placed(n)   ? placedText_
                                                             : emptyText_;
    setSpokenDescription(cell, description);
}

void PuzzleWindow::describeStack()
{
    if (spokenLanguage_ < 0)
        return;
    const bool inHand = table_.stackCell.face == Face::Piece;
    setSpokenDescription(stack_, inHand ? pieceInHand_
                                        : QString(piecesLeft_).replace(QStringLiteral("%1"), QString::number(table_.faceDownPieces().size())));
}

int PuzzleWindow::groupOf(const QWidget* widget) const
{
    if (widget == stack_)
        return 0;
    if (std::find(cells_.begin(), cells_.end(), widget) != cells_.end())
        return 1;
    if (std::find(buttons_.begin(), buttons_.end(), widget) != buttons_.end())
        return 2;
    if (std::find(flags_.begin(), flags_.end(), widget) != flags_.end())
        return 3;
    return -1;
}

int PuzzleWindow::boardCellForFocus() const
{
    // Where the keyboard was, while it is a cell still to fill; else the first such cell.
    const int pieces = std::min(shared().boardRows * shared().boardCols, CellCount);
    if (lastBoardCell_ < pieces && cell(lastBoardCell_)->isActive())
        return lastBoardCell_;
    for (int n = 0; n < pieces; ++n)
        if (cell(n)->isActive())
            return n;
    return std::min(lastBoardCell_, std::max(0, pieces - 1));
}

QWidget* PuzzleWindow::groupEntry(int group) const
{
    switch (group) {
    case 0: return stack_->isVisible() ? stack_ : nullptr;
    case 1: return cell(boardCellForFocus())->isVisible() ? cell(boardCellForFocus()) : nullptr;
    case 2:
        for (QToolButton* button : buttons_)
            if (button->isVisible() && button->isEnabled())
                return button;
        return nullptr;
    case 3: return flags_[0]->isVisible() ? flags_[0] : nullptr;
    default: return nullptr;
    }
}

bool PuzzleWindow::focusNextPrevChild(bool next)
{
    int group = groupOf(focusWidget());
    for (int step = 0; step < 4; ++step) {
        group = ((group < 0 ? (next ? -1 : 0) : group) + (next ? 1 : 3)) % 4;
        if (QWidget* entry = groupEntry(group)) {
            entry->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return QWidget::focusNextPrevChild(next);
}

void PuzzleWindow::moveOnBoard(int from, int dx, int dy)
{
    const int rows = shared().boardRows;
    const int cols = shared().boardCols;
    if (rows <= 0 || cols <= 0)
        return;
    const int row = std::clamp(from / cols + dy, 0, rows - 1);
    const int col = std::clamp(from % cols + dx, 0, cols - 1);
    lastBoardCell_ = row * cols + col;
    cell(lastBoardCell_)->setFocus(Qt::OtherFocusReason);
}

void PuzzleWindow::moveInRow(QWidget* from, int dx, int dy)
{
    // Buttons stand in two rows of five, flags in one row.
    if (auto* button = qobject_cast<QToolButton*>(from)) {
        const int i = int(std::find(buttons_.begin(), buttons_.end(), button) - buttons_.begin());
        const int row = std::clamp(i / 5 + dy, 0, 1);
        const int col = std::clamp(i % 5 + dx, 0, 4);
        buttons_[std::size_t(row * 5 + col)]->setFocus(Qt::OtherFocusReason);
        return;
    }
    const int i = int(std::find(flags_.begin(), flags_.end(), from) - flags_.begin());
    if (i < int(flags_.size()))
        flags_[std::size_t(std::clamp(i + dx, 0, 4))]->setFocus(Qt::OtherFocusReason);
}

void PuzzleWindow::followTheGame()
{
    // Only a keyboard player on the table is led: not one on the buttons or the flags.
    QWidget* focus = focusWidget();
    const int group = groupOf(focus);
    if (group == 1)
        lastBoardCell_ = int(std::find(cells_.begin(), cells_.end(), focus) - cells_.begin());
    const bool onTable = group == 0 || group == 1 || focus == buttons_[0] || (focus && !focus->isEnabled());
    if (!isActiveWindow() || !onTable)
        return;
    if (table_.stackCell.face == Face::Piece && table_.pieceInHand() >= 0)
        cell(boardCellForFocus())->setFocus(Qt::OtherFocusReason);
    else if (table_.stackCell.visible && table_.stackCell.enabled)
        stack_->setFocus(Qt::OtherFocusReason);
}

} // namespace tess
