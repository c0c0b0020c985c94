// Qt's own texts follow the game's language: a flag click swaps Qt's
// translation, and where Qt has none the standard buttons take the game's texts.

#include "support/GameFixture.h"
#include "language/QtTranslations.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tess;

namespace {

// The texts of a question's Yes and No and of the name box's OK and Cancel, as a box made now shows them.
QStringList standardButtons()
{
    const QMessageBox question(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                               QMessageBox::Yes | QMessageBox::No);
    QInputDialog nameBox;
    nameBox.setInputMode(QInputDialog::TextInput);
    (void)nameBox.sizeHint(); // lays it out: its buttons come with the layout
    const auto* box = nameBox.findChild<QDialogButtonBox*>();
    if (!box)
        return {};
    return {question.button(QMessageBox::Yes)->text(), question.button(QMessageBox::No)->text(),
            box->button(QDialogButtonBox::Ok)->text(), box->button(QDialogButtonBox::Cancel)->text()};
}

QString firstEntryOfTextFieldMenu()
{
    QLineEdit field;
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    return menu->actions().value(0) ? menu->actions().value(0)->text() : QString();
}

} // namespace

class TestQtTranslations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { setQtTranslationsFolder(QString()); }

    void aFlagClickSwapsQtsTranslation()
    {
        test::GameFixture game;
        setQtTranslationsFolder(QString());
        const QString english = firstEntryOfTextFieldMenu();

        game.t().chooseLanguage(0);
        QVERIFY2(qtTranslationLoaded(), "qt6-translations-l10n gives Qt's German");
        QCOMPARE(standardButtons(), (QStringList{"&Ja", "&Nein", "OK", "Abbrechen"}));
        QVERIFY(firstEntryOfTextFieldMenu() != english);

        game.t().chooseLanguage(6);
        QVERIFY(qtTranslationLoaded());
        QCOMPARE(standardButtons(), (QStringList{"&Oui", "&Non", "OK", "Annuler"}));

        game.t().chooseLanguage(1);
        QVERIFY(!qtTranslationLoaded());
        QCOMPARE(standardButtons(), (QStringList{"&Yes", "&No", "OK", "Cancel"}));
        QCOMPARE(firstEntryOfTextFieldMenu(), english);
    }

    void withoutQtsTranslationTheButtonsTakeTheGamesTexts()
    {
        test::GameFixture game;
        const QTemporaryDir empty;
        setQtTranslationsFolder(empty.path());
        const QString english = firstEntryOfTextFieldMenu();

        game.t().chooseLanguage(0);
        QVERIFY(!qtTranslationLoaded());
        QCOMPARE(standardButtons(), (QStringList{langText(133), langText(134), langText(135), langText(136)}));
        QCOMPARE(standardButtons(), (QStringList{"&Ja", "&Nein", "OK", "Abbrechen"}));
        // Only those four: the rest stays Qt's English.
        QCOMPARE(firstEntryOfTextFieldMenu(), english);

        game.t().chooseLanguage(2);
        QCOMPARE(standardButtons(), (QStringList{"&S\u00ed", "&No", "Aceptar", "Cancelar"}));

        game.t().chooseLanguage(1);
        QCOMPARE(standardButtons(), (QStringList{"&Yes", "&No", "OK", "Cancel"}));
    }
};

TESSARON_TEST_MAIN(TestQtTranslations)
#include "test_qt_translations.moc"
