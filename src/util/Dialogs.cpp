#include "util/Dialogs.h"

#include <QApplication>
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
        return QMessageBox::question(QApplication::activeWindow(), title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No)
            == QMessageBox::Yes;
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
