#include "game/PuzzleWindow.h"

#include "champions/HighscoreDialog.h"
#include "game/HelpMenu.h"
#include "game/ImageControl.h"
#include "language/StartupWindow.h"
#include "game/ScoreBox.h"
#include "resources/BackChoiceDialog.h"
#include "resources/PictureChoiceDialog.h"
#include "settings/OptionsDialog.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace tess {

namespace {

const QColor Gold(255, 204, 0);

QImage art(const QString& name)
{
    static QHash<QString, QImage> cache;
    auto found = cache.find(name);
    if (found == cache.end())
        found = cache.insert(name, LoadArt(name));
    return *found;
}

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
    , timeBar_(new QWidget(this))
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    table_.setListener(this);

    for (std::size_t n = 0; n < cells_.size(); ++n) {
        cells_[n] = new ImageControl(this);
        cells_[n]->hide();
        connect(cells_[n], &ImageControl::clicked, this, [this, n] { Q_EMIT cellClicked(int(n)); });
    }
    stack_->hide();
    preview_->hide();
    connect(stack_, &ImageControl::clicked, this, &PuzzleWindow::stackClicked);
    copyright_->setPicture(art(QStringLiteral("copyright.png")), 0);
    copyright_->hide();
    timeBar_->setAutoFillBackground(true);
    QPalette bar = timeBar_->palette();
    bar.setColor(QPalette::Window, QColor(64, 64, 0));
    timeBar_->setPalette(bar);
    timeBar_->hide();

    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = new QToolButton(this);
        QIcon icon(QPixmap::fromImage(art(QStringLiteral("button_%1.png").arg(i))));
        QPixmap dense = QPixmap::fromImage(art(QStringLiteral("button_%1@2x.png").arg(i)));
        dense.setDevicePixelRatio(2);
        icon.addPixmap(dense);
        buttons_[i]->setIcon(icon);
        buttons_[i]->setAutoRaise(false);
        buttons_[i]->setFocusPolicy(Qt::NoFocus);
        buttons_[i]->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; background: transparent; }"
                                                  "QToolButton:pressed { padding-left: 1px; padding-top: 1px; }"
                                                  "QToolButton:disabled { opacity: 0.4; }"));
        buttons_[i]->hide();
        connect(buttons_[i], &QToolButton::clicked, this, [this, i] { Q_EMIT buttonPressed(int(i)); });
    }
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        flags_[i] = new ImageControl(this);
        const qint16 language = PuzzleTable::FlagLanguages[i];
        // Drawn from the double-size picture, so the flag stays sharp on dense screens.
        flags_[i]->setPicture(art(QStringLiteral("flag_%1@2x.png").arg(language)), 0);
        flags_[i]->setCursor(Qt::PointingHandCursor);
        flags_[i]->hide();
        connect(flags_[i], &ImageControl::clicked, this, [this, language] { Q_EMIT flagClicked(language); });
    }
    QFont nameFont(QStringLiteral("DejaVu Sans"));
    nameFont.setPointSize(12);
    nameFont.setBold(true);
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = new QLabel(this);
        labels_[i]->setFont(nameFont);
        labels_[i]->setAutoFillBackground(true);
        labels_[i]->setAlignment(Qt::AlignCenter);
        labels_[i]->hide();
        scores_[i] = new ScoreBox(table_.clpNum, this);
        scores_[i]->hide();
    }

    // The dialogs the tool buttons open, over this window.
    table_.services.champions = [this] {
        HighscoreDialog champions(this);
        champions.Form_Load();
        champions.exec();
    };
    table_.services.pictureChoice = [this] {
        PictureChoiceDialog pictures(this);
        pictures.Form_Load();
        pictures.exec();
    };
    table_.services.backChoice = [this] {
        BackChoiceDialog backs(this);
        backs.Form_Load();
        backs.exec();
    };
    helpMenu_ = new HelpMenu(this, [this] {
        StartupWindow about({}, this);
        about.setFlagHandler([this](qint16 language) { table_.imgLang_Click(language); });
        about.Form_Load();
        about.exec();
    });
    table_.services.helpMenu = [this] { helpMenu_->popUp(table_.menuCaptions); };
    table_.services.options = [this] {
        OptionsDialog options(this);
        options.Form_Load();
        options.exec();
    };

    qApp->installEventFilter(this);
    connect(this, &PuzzleWindow::cellClicked, this, [this](int n) { table_.cellClicked(qint16(n)); });
    connect(this, &PuzzleWindow::stackClicked, this, [this] { table_.stackClicked(); });
    connect(this, &PuzzleWindow::buttonPressed, this, [this](int i) { table_.buttonPressed(qint16(i)); });
    connect(this, &PuzzleWindow::flagClicked, this, [this](int language) { table_.flagClicked(qint16(language)); });

    const QScreen* screen = QGuiApplication::primaryScreen();
    // Title bar and borders of a usual desktop; the exact size is known only once shown.
    const QSize client = clientSizeFor(screen->availableGeometry(), QMargins(4, 32, 4, 4));
    setFixedSize(client);
    const QRect available = screen->availableGeometry();
    move(available.x() + (available.width() - client.width()) / 2,
         available.y() + std::max(0, (available.height() - client.height() - 32) / 2));
}

PuzzleWindow::~PuzzleWindow()
{
    table_.setListener(nullptr);
}

QWidget* PuzzleWindow::scoreBox(int i) const
{
    return scores_[std::size_t(i)];
}

QImage PuzzleWindow::faceImage(const ImageState& state) const
{
    switch (state.face) {
    case Face::Empty: return table_.imgLeer;
    case Face::Wrong: return table_.imgFalsch;
    case Face::Joker: return table_.imgJoker;
    case Face::Back: return table_.imgBack;
    case Face::Piece:
        if (state.piece >= 0 && state.piece < table_.clpImage.rows() * table_.clpImage.cols()
            && !table_.clpImage.picture().isNull())
            return table_.clpImage.graphicCell(qint16(state.piece));
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
    control->setBorder(state.border == 1);
    control->setEnabled(state.enabled);
    control->setVisible(state.visible);
}

void PuzzleWindow::cellChanged(int n)
{
    showImage(cells_[std::size_t(n)], table_.imgPuzz[std::size_t(n)]);
}

void PuzzleWindow::stackChanged()
{
    showImage(stack_, table_.imgStack);
}

void PuzzleWindow::previewChanged()
{
    preview_->setPicture(table_.previewPicture, generation_);
    preview_->setGeometry(table_.imgPreview.geometry);
    preview_->setVisible(table_.imgPreview.visible);
}

void PuzzleWindow::pictureChanged()
{
    ++generation_;
}

void PuzzleWindow::backgroundChanged()
{
    paintBackground();
    update();
}

void PuzzleWindow::paintBackground()
{
    // Painted once: only operations not yet applied are drawn, unless the
    // window's size or pixel density changed, which starts the picture anew.
    const qreal ratio = devicePixelRatioF();
    if (background_.isNull() || background_.size() != size() * ratio || background_.devicePixelRatio() != ratio) {
        background_ = QPixmap(size() * ratio);
        background_.setDevicePixelRatio(ratio);
        background_.fill(table_.backColor);
        painted_ = 0;
    }
    if (painted_ == table_.background.size())
        return;
    QPainter painter(&background_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (; painted_ < table_.background.size(); ++painted_) {
        const PaintOp& op = table_.background[painted_];
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
            painter.drawImage(op.target, art(op.art));
            break;
        }
    }
}

void PuzzleWindow::controlsChanged()
{
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const ButtonState& state = table_.PicBut[i];
        buttons_[i]->setGeometry(state.geometry);
        buttons_[i]->setIconSize(state.geometry.size());
        buttons_[i]->setToolTip(state.tip);
        buttons_[i]->setEnabled(state.enabled);
        buttons_[i]->setVisible(state.visible);
    }
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        flags_[i]->setGeometry(table_.imgLang[i].geometry);
        flags_[i]->setVisible(table_.imgLang[i].visible);
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        const LabelState& state = table_.lblPlayer[i];
        labels_[i]->setGeometry(state.geometry);
        labels_[i]->setText(state.text);
        QPalette colours = labels_[i]->palette();
        colours.setColor(QPalette::Window, state.active ? Gold : Qt::black);
        colours.setColor(QPalette::WindowText, state.active ? Qt::black : Gold);
        labels_[i]->setPalette(colours);
        labels_[i]->setVisible(state.visible);
        scores_[i]->display(table_.picScore[i]);
    }
    timeBar_->setGeometry(table_.lblTime);
    timeBar_->setVisible(table_.LayoutDone);
    copyright_->setGeometry(table_.imgCopyright);
    copyright_->setVisible(table_.LayoutDone);
}

void PuzzleWindow::paintEvent(QPaintEvent*)
{
    paintBackground();
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void PuzzleWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    table_.Form_Resize(width(), height(), 1440 / dpi);
}

bool PuzzleWindow::isGameDialog(QObject* object)
{
    // The game's own dialogs activate the window again when they close; message
    // and input boxes do not, and neither does coming back from another program.
    auto* dialog = qobject_cast<QDialog*>(object);
    return dialog && dialog->isWindow() && !qobject_cast<QMessageBox*>(dialog) && !qobject_cast<QInputDialog*>(dialog);
}

bool PuzzleWindow::eventFilter(QObject* watched, QEvent* event)
{
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
    QTimer::singleShot(0, this, [this] { table_.activate(); });
}

void PuzzleWindow::closeEvent(QCloseEvent* event)
{
    table_.close();
    event->accept();
}

} // namespace tess
