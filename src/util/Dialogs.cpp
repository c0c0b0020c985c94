#include "util/Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace tess {

namespace {

class MessageBoxes : public Dialogs {
public:
    void inform(const QString& text, const QString& title) override
    {
        QMessageBox::information(QApplication::activeWindow(), title, text);
    }

    bool askYesNo(const QString& text, const QString& title) override
    {
        // The first button is the default, as in the classic message box: Enter answers Yes.
        return QMessageBox::question(QApplication::activeWindow(), title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes)
            == QMessageBox::Yes;
    }

    bool inputText(const QString& prompt, const QString& title, QString& text) override
    {
        bool ok = false;
        text = QInputDialog::getText(QApplication::activeWindow(), title, prompt, QLineEdit::Normal, QString(), &ok);
        if (!ok)
            text.clear();
        return ok;
    }
};

Dialogs*& installed()
{
    static Dialogs* replacement = nullptr;
    return replacement;
}

} // namespace

Dialogs& dialogs()
{
    static MessageBoxes real;
    return installed() ? *installed() : real;
}

void setDialogs(Dialogs* replacement)
{
    installed() = replacement;
}

} // namespace tess
