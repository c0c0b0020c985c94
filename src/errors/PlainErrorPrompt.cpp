#include "errors/PlainErrorPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <array>

namespace tess {

QString PlainErrorPrompt::continueCaption(int answer)
{
    static const std::array<QString, 4> captions = {
        QStringLiteral("Wieder&holen Retry"),
        QStringLiteral("&Ignorieren   Ignore"),
        QStringLiteral("&Abbrechen Cancel"),
        QStringLiteral("&Beenden       End"),
    };
    return captions.at(static_cast<std::size_t>(answer));
}

void PlainErrorPrompt::resetMousePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void PlainErrorPrompt::beep()
{
    QApplication::beep();
}

qint16 PlainErrorPrompt::ask(const ProtocolData& shown)
{
    QString details;
    for (std::size_t i = 0; i < shown.errorValues.size(); ++i)
        details += errorTitles()[i] + u' ' + shown.errorValues[i] + u'\n';

    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tessaron"),
                    QStringLiteral("There is a problem. Please contact the author if this problem appears again.\n"
                                   "Es liegt ein Problem vor, mit dem Sie sich an den technischen Support wenden "
                                   "sollten, falls es wiederholt auftritt."));
    box.setInformativeText(details + u'\n' + shown.progInfo);
    std::array<QPushButton*, 4> buttons{};
    for (int i = 0; i < 4; ++i)
        buttons[static_cast<std::size_t>(i)] = box.addButton(continueCaption(i), QMessageBox::ActionRole);
    // Closing the box any other way leaves the procedure: the safe choice.
    box.setEscapeButton(buttons[2]);
    box.setDefaultButton(buttons[0]);
    box.exec();
    for (int i = 0; i < 4; ++i) {
        if (box.clickedButton() == buttons[static_cast<std::size_t>(i)])
            return static_cast<qint16>(i);
    }
    return 2;
}

} // namespace tess
