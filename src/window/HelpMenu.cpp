#include "window/HelpMenu.h"

#include "language/HelpWindow.h"
#include "settings/SettingKeys.h"
#include "settings/SharedState.h"
#include "util/Maker.h"
#include "util/Trap.h"

#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

#include <utility>

namespace tess {

HelpMenu::HelpMenu(QWidget* owner, std::function<void()> about)
    : QObject(owner), owner_(owner), about_(std::move(about))
{
}

QString HelpMenu::mailLink()
{
    return QStringLiteral("mailto:") + QString::fromUtf8(MakerSupportAddress).trimmed() + QStringLiteral("?Subject=")
        + QString::fromLatin1(AppTitle);
}

QMenu* HelpMenu::build(const std::array<QString, 3>& captions)
{
    auto* menu = new QMenu(owner_);
    menu->setObjectName(QStringLiteral("mnuHilfe"));
    menu->addAction(captions[0], this, &HelpMenu::showManual)->setObjectName(QStringLiteral("mnuOnlinehilfe"));
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Marlpit's Homepage..."), this, &HelpMenu::openWebPage)
        ->setObjectName(QStringLiteral("mnuHomepage"));
    menu->addAction(captions[1], this, &HelpMenu::writeEmail)->setObjectName(QStringLiteral("mnuEMail"));
    menu->addSeparator();
    menu->addAction(captions[2], this, &HelpMenu::showAbout)->setObjectName(QStringLiteral("mnuUeber"));
    return menu;
}

void HelpMenu::popUp(const std::array<QString, 3>& captions)
{
    QMenu* menu = build(captions);
    menu->exec(QCursor::pos());
    menu->deleteLater();
}

void HelpMenu::showManual()
{
    trapped("frmPuzzle", "mnuOnlinehilfe_Click", [&](Steps& step) { step(50010, [] { HelpWindow::showHelp(shared().language); }); });
}

void HelpMenu::openWebPage()
{
    // The result is not looked at: without a browser nothing happens, and nothing is said.
    trapped("frmPuzzle", "mnuHomepage_Click", [&](Steps& step) {
        step(50010, [] { QDesktopServices::openUrl(QUrl(QString::fromUtf8(MakerWebPage))); });
    });
}

void HelpMenu::writeEmail()
{
    trapped("frmPuzzle", "mnuEMail_Click", [&](Steps& step) { step(50010, [] { QDesktopServices::openUrl(QUrl(mailLink())); }); });
}

void HelpMenu::showAbout()
{
    trapped("frmPuzzle", "mnuUeber_Click", [&](Steps& step) {
        step(50010, [&] {
            if (about_)
                about_();
        });
    });
}

} // namespace tess
