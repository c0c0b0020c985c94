#include "window/StartupWindow.h"

#include "controls/Accessibility.h"
#include "controls/ImageControl.h"
#include "language/Language.h"
#include "language/QtTranslations.h"
#include "resources/Resources.h"
#include "settings/SharedState.h"
#include "util/Maker.h"
#include "util/Trap.h"
#include "util/WindowButtons.h"
#include "util/WindowFit.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include <array>
#include <utility>

namespace tess {

StartupWindow::StartupWindow(std::function<QWidget*()> loadGameWindow, QWidget* parent)
    : QDialog(parent)
    , titleImage(new QLabel(this))
    , boardImage(new QLabel(this))
    , versionLabel(new QLabel(this))
    , webPageLink(new QLabel(this))
    , loadGameWindow_(std::move(loadGameWindow))
{
    setWindowTitle(QStringLiteral("Tessaron"));
    withoutMaximizeButton(this);
    // Colours by palette, not by style sheet: a style sheet would parse and
    // polish on the way to the first window.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    setPalette(colours);
    setAutoFillBackground(true);
    for (QLabel* label : {versionLabel, webPageLink}) {
        QPalette text = label->palette();
        text.setColor(QPalette::WindowText, QColor(255, 204, 0));
        label->setPalette(text);
    }
    titleImage->setAlignment(Qt::AlignCenter);
    boardImage->setAlignment(Qt::AlignCenter);
    versionLabel->setAlignment(Qt::AlignCenter);
    // Plain text, underlined like a link: rich text would cost the start some
    // ten milliseconds. Its text comes with the version line (load).
    webPageLink->setTextFormat(Qt::PlainText);
    QFont link = webPageLink->font();
    link.setUnderline(true);
    webPageLink->setFont(link);
    webPageLink->setAlignment(Qt::AlignCenter);
    webPageLink->setCursor(Qt::PointingHandCursor);
    webPageLink->installEventFilter(this);

    layout_ = new QGridLayout(this);
    layout_->addWidget(titleImage, 0, 0);
    layout_->addWidget(boardImage, 1, 0);
    layout_->addWidget(versionLabel, 2, 0);
    layout_->addWidget(webPageLink, 3, 0);
    layout_->setSizeConstraint(QLayout::SetFixedSize);
}

QString StartupWindow::versionLine(int major, int minor, int revision)
{
    return QStringLiteral("Tessaron  %1.%2.%3")
        .arg(major)
        .arg(minor, 2, 10, QLatin1Char('0'))
        .arg(revision, 4, 10, QLatin1Char('0'));
}

void StartupWindow::load()
{
    SharedState& s = shared();
    trapped("frmInfo", "Form_Load", [&](Steps& step) {
        step(50010, [&] {
            s.language = startLanguage();
            followLanguageInQt(s.language); // cannot fail: a missing translation is English
        });
        step(50020, [&] {
            // At the start the program's own table serves until the game window
            // is painted; the copy is written then (main), off the way to the window.
            if (s.gameWindowLoaded)
                writeLanguageTable();
        });
        step(50030, [&] {
            // Read under the trap: a damaged picture gets an error box, not the end.
            titleImage->setPixmap(QPixmap::fromImage(loadArt(QStringLiteral("splash_title.png"))));
            boardImage->setPixmap(QPixmap::fromImage(loadArt(QStringLiteral("splash_board.png"))));
        });
        // The splash has an hourglass step that the about box has not: the
        // steps from the web link on count from there.
        const int linkLine = s.gameWindowLoaded ? 50040 : 50050;
        if (!s.gameWindowLoaded)
            step(50040, [&] {
                // The hourglass, and the window it comes with, are made while
                // the start waits for the font database and the session bus
                // (the first text asks whether a screen reader listens). The
                // window shows with it; an error box puts the arrow back.
                winId();
                QApplication::setOverrideCursor(Qt::WaitCursor);
            });
        step(linkLine, [&] {
            webPageLink->setText(QString::fromUtf8(MakerWebPage));
            adjustSize();
            placeWindow(this);
        });
        step(linkLine + 10, [&] { versionLabel->setText(versionLine(TESSARON_VERSION_MAJOR, TESSARON_VERSION_MINOR, TESSARON_VERSION_PATCH)); });
        if (s.gameWindowLoaded) {
            step(linkLine + 20, [&] { addAboutBoxControls(); });
            return;
        }
        step(50070, [&] {
            show();
            repaint();
            QCoreApplication::processEvents();
        });
        step(50080, [&] { gameWindow_ = loadGameWindow_(); });
        step(50090, [&] { s.gameWindowLoaded = true; });
        step(50100, [&] {
            if (gameWindow_ && !gameWindow_->isVisible())
                gameWindow_->show();
        });
        step(50110, [&] {
            QApplication::restoreOverrideCursor();
            close();
        });
    });
}

// Only the about box has the flags and OK: the splash goes without them. The
// first text on a button would also have the start wait for the accessibility
// bus before the splash shows.
void StartupWindow::addAboutBoxControls()
{
    // OK first: the box can be closed even if a flag's picture fails. It keeps
    // the application's colours, not the window's black.
    if (!okButton) {
        okButton = new QPushButton(QStringLiteral("&OK"), this);
        okButton->setPalette(QApplication::palette(okButton));
        connect(okButton, &QPushButton::clicked, this, [this] { closeAboutBox(); });
        layout_->addWidget(okButton, 5, 0, Qt::AlignCenter);
    }
    if (languageFlags[0])
        return;
    // Every picture is read before a flag is made: when one fails, Retry
    // makes the whole row, and Ignore leaves none half made.
    std::array<QImage, Languages.size()> pictures;
    for (std::size_t i = 0; i < pictures.size(); ++i)
        pictures[i] = loadArt(QString::fromLatin1(Languages[i].flagArt) + QStringLiteral("@2x.png"));
    auto* flags = new QHBoxLayout;
    flags->addStretch();
    for (std::size_t i = 0; i < languageFlags.size(); ++i) {
        languageFlags[i] = new ImageControl(this);
        languageFlags[i]->setPicture(pictures[i], 0);
        languageFlags[i]->setFixedSize(32, 20);
        languageFlags[i]->setCursor(Qt::PointingHandCursor);
        setAccessibleRole(languageFlags[i], QAccessible::Button);
        languageFlags[i]->setAccessibleName(flagLanguageName(int(i)));
        const int language = Languages[i].digit;
        connect(languageFlags[i], &ImageControl::clicked, this, [this, language] { chooseLanguage(language); });
        flags->addWidget(languageFlags[i]);
    }
    flags->addStretch();
    layout_->addLayout(flags, 4, 0);
}

void StartupWindow::closeAboutBox()
{
    trapped("frmInfo", "OK_Click", [&](Steps& step) {
        step(50010, [&] {
            if (gameWindow_ && !gameWindow_->isVisible())
                gameWindow_->show();
        });
        step(50020, [&] { close(); });
    });
}

bool StartupWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == webPageLink && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        openWebPage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void StartupWindow::chooseLanguage(int languageDigit)
{
    // The game window's flag: sound, language, its texts, stored with the sign's blank.
    if (flagClicked_)
        flagClicked_(languageDigit);
}

void StartupWindow::openWebPage()
{
    trapped("frmInfo", "lblHomepage_Click", [&](Steps& step) {
        step(50010, [] { QDesktopServices::openUrl(QUrl(QString::fromUtf8(MakerWebPage))); });
    });
}

} // namespace tess
