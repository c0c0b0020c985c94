#include "language/QtTranslations.h"

#include "language/Language.h"
#include "language/Languages.h"
#include "language/TextNumbers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace tess {

namespace {

// Qt asks its platform theme for the standard buttons' texts; the generic
// theme and GNOME's word them a little differently.
int standardButtonText(const char* context, const char* sourceText)
{
    const QByteArrayView where(context);
    if (where != "QPlatformTheme" && where != "QGnomeTheme")
        return 0;
    const QByteArrayView source(sourceText);
    if (source == "&Yes" || source == "Yes")
        return text::YesButton;
    if (source == "&No" || source == "No")
        return text::NoButton;
    if (source == "OK" || source == "&OK")
        return text::OkButton;
    if (source == "Cancel" || source == "&Cancel")
        return text::CancelButton;
    return 0;
}

// Stands in for Qt's translation where Qt has none: the game's texts for the
// four buttons it asks with, in the language in force when a box is made.
class GameButtonTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/, int /*n*/) const override
    {
        const int number = standardButtonText(context, sourceText);
        return number != 0 ? langText(number) : QString();
    }
};

struct InForce {
    QPointer<QTranslator> translator; // a child of the application, gone with it
    int language = -1;
    bool fromQt = false;
    QString folder;
};

InForce& inForce()
{
    static InForce state;
    return state;
}

QString translationsFolder()
{
    const QString& chosen = inForce().folder;
    return chosen.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : chosen;
}

// Qt's translation of the language, or nullptr where the folder holds none that loads.
QTranslator* qtTranslation(const LanguageInfo& language, QObject* owner)
{
    const QString code = QString::fromLatin1(language.code);
    for (const QString& name : {QStringLiteral("qtbase_") + code, QStringLiteral("qt_") + code}) {
        const QFileInfo file(translationsFolder() + u'/' + name + QStringLiteral(".qm"));
        if (!file.isFile())
            continue;
        auto* translator = new QTranslator(owner);
        if (translator->load(file.absoluteFilePath()))
            return translator;
        delete translator;
    }
    return nullptr;
}

} // namespace

void followLanguageInQt(int language)
{
    QCoreApplication* application = QCoreApplication::instance();
    InForce& state = inForce();
    if (!application || language == state.language)
        return;
    if (state.translator) {
        QCoreApplication::removeTranslator(state.translator);
        delete state.translator;
    }
    state.language = language;
    state.fromQt = false;
    const LanguageInfo* info = byBase(language);
    // Qt's own texts are English.
    if (!info || info->base == English)
        return;
    QTranslator* translator = qtTranslation(*info, application);
    state.fromQt = translator != nullptr;
    state.translator = state.fromQt ? translator : new GameButtonTexts(application);
    QCoreApplication::installTranslator(state.translator);
}

bool qtTranslationLoaded()
{
    return inForce().fromQt;
}

void setQtTranslationsFolder(const QString& folder)
{
    inForce().folder = folder;
    inForce().language = -1; // the next call looks again
}

} // namespace tess
