#include "language/StartupWindow.h"

#include "errors/Trap.h"
#include "game/Accessibility.h"
#include "game/ImageControl.h"
#include "game/SharedState.h"
#include "language/Language.h"
#include "resources/Resources.h"
#include "util/Maker.h"
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

#include <utility>

namespace tess {

StartupWindow::StartupWindow(std::function<QWidget*()> loadGameWindow, QWidget* parent)
    : QDialog(parent)
    , Image1(new QLabel(this))
    , Image2(new QLabel(this))
    , versionLabel(new QLabel(this))
    , lblHomepage(new QLabel(this))
    , OK(new QPushButton(QStringLiteral("&OK"), this))
    , loadGameWindow_(std::move(loadGameWindow))
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setStyleSheet(QStringLiteral("QDialog { background: black; } QLabel { color: rgb(255, 204, 0); }"));
    Image1->setPixmap(QPixmap::fromImage(loadArt(QStringLiteral("splash_title.png"))));
    Image2->setPixmap(QPixmap::fromImage(loadArt(QStringLiteral("splash_board.png"))));
    Image1->setAlignment(Qt::AlignCenter);
    Image2->setAlignment(Qt::AlignCenter);
    versionLabel->setAlignment(Qt::AlignCenter);
    const QString page = QString::fromUtf8(MakerWebPage);
    // Plain text, underlined like a link: rich text would cost the start some ten milliseconds.
    lblHomepage->setTextFormat(Qt::PlainText);
    lblHomepage->setText(page);
    QFont link = lblHomepage->font();
    link.setUnderline(true);
    lblHomepage->setFont(link);
    lblHomepage->setAlignment(Qt::AlignCenter);
    lblHomepage->setCursor(Qt::PointingHandCursor);
    lblHomepage->installEventFilter(this);
    OK->hide();
    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });

    auto* flags = new QHBoxLayout;
    flags->addStretch();
    for (std::size_t i = 0; i < languageFlags.size(); ++i) {
        languageFlags[i] = new ImageControl(this);
        languageFlags[i]->setPicture(loadArt(QString::fromLatin1(Languages[i].flagArt) + QStringLiteral("@2x.png")), 0);
        languageFlags[i]->setFixedSize(32, 20);
        languageFlags[i]->setCursor(Qt::PointingHandCursor);
        setAccessibleRole(languageFlags[i], QAccessible::Button);
        languageFlags[i]->setAccessibleName(flagLanguageName(int(i)));
        languageFlags[i]->hide(); // the about box shows them, the splash does not
        const qint16 language = Languages[i].digit;
        connect(languageFlags[i], &ImageControl::clicked, this, [this, language] { imgLang_Click(language); });
        flags->addWidget(languageFlags[i]);
    }
    flags->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(Image1, 0, 0);
    layout->addWidget(Image2, 1, 0);
    layout->addWidget(versionLabel, 2, 0);
    layout->addWidget(lblHomepage, 3, 0);
    layout->addLayout(flags, 4, 0);
    layout->addWidget(OK, 5, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
        step([&] { s.language = startLanguage(); });
        step([&] { writeLanguageTable(); });
        step([&] {
            adjustSize();
            placeWindow(this);
        });
        step([&] { versionLabel->setText(versionLine(TESSARON_VERSION_MAJOR, TESSARON_VERSION_MINOR, TESSARON_VERSION_PATCH)); });
        if (s.gameWindowLoaded != 0) {
            step([&] {
                OK->show();
                for (ImageControl* flag : languageFlags)
                    flag->show();
            });
            return;
        }
        step([&] {
            show();
            QApplication::setOverrideCursor(Qt::WaitCursor);
            repaint();
            QCoreApplication::processEvents();
        });
        step([&] { gameWindow_ = loadGameWindow_(); });
        step([&] { s.gameWindowLoaded = True; });
        step([&] {
            if (gameWindow_ && !gameWindow_->isVisible())
                gameWindow_->show();
        });
        step([&] {
            QApplication::restoreOverrideCursor();
            close();
        });
    });
}

void StartupWindow::OK_Click()
{
    trapped("frmInfo", "OK_Click", [&](Steps& step) {
        step([&] {
            if (gameWindow_ && !gameWindow_->isVisible())
                gameWindow_->show();
        });
        step([&] { close(); });
    });
}

bool StartupWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblHomepage && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lblHomepage_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void StartupWindow::imgLang_Click(qint16 language)
{
    // The game window's flag: sound, language, its texts, stored with the sign's blank.
    if (flagClicked_)
        flagClicked_(language);
}

void StartupWindow::lblHomepage_Click()
{
    trapped("frmInfo", "lblHomepage_Click", [&](Steps& step) {
        step([] { QDesktopServices::openUrl(QUrl(QString::fromUtf8(MakerWebPage))); });
    });
}

} // namespace tess
