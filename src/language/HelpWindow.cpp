#include "language/HelpWindow.h"

#include "language/Languages.h"
#include "util/WindowFit.h"

#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QRegularExpression>

namespace tess {

namespace {

QPointer<HelpWindow>& current()
{
    static QPointer<HelpWindow> window;
    return window;
}

} // namespace

HelpWindow::HelpWindow()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setOpenExternalLinks(true);
    setSearchPaths({QStringLiteral(":/carried/help")});
    // As tall as the manual wants, if the work area has room for it.
    resize(fittedClientSize(QSize(720, 760), workArea(), windowFrame(this)));
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

QString HelpWindow::manualFor(int language)
{
    const LanguageInfo* known = byBase(language);
    const char* code = (known ? *known : FallbackLanguage).code;
    return QStringLiteral(":/carried/help/%1.html").arg(QString::fromLatin1(code));
}

HelpWindow* HelpWindow::openWindow()
{
    return current().data();
}

HelpWindow* HelpWindow::showHelp(int language)
{
    if (!current())
        current() = new HelpWindow;
    HelpWindow* window = current();
    // The manual is read only when the window shows another one (or none yet).
    QFile manual(manualFor(language));
    if (window->property("manual").toString() != manual.fileName() && manual.open(QIODevice::ReadOnly)) {
        const QString html = QString::fromUtf8(manual.readAll());
        window->setHtml(html);
        window->setProperty("manual", manual.fileName());
        static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"));
        window->setWindowTitle(title.match(html).captured(1));
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace tess
