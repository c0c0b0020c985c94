#include "util/Dialogs.h"

#include "util/Text.h"
#include "util/WindowButtons.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <memory>
#include <QMessageBox>

namespace tess {

namespace {

int showMessage(QMessageBox::Icon icon, const QString& text, const QString& title, QMessageBox::StandardButtons buttons,
                QMessageBox::StandardButton byDefault)
{
    const std::unique_ptr<QMessageBox> box(makeMessageBox(icon, text, title, buttons, QApplication::activeWindow()));
    box->setDefaultButton(byDefault);
    return box->exec();
}

class MessageBoxes : public Dialogs {
public:
    void inform(const QString& text, const QString& title) override
    {
        showMessage(QMessageBox::Information, text, title, QMessageBox::Ok, QMessageBox::Ok);
    }

    bool askYesNo(const QString& text, const QString& title, Answer byDefault) override
    {
        // Usually the first button is the default, as in the classic message box: Enter answers Yes.
        const auto enter = byDefault == Answer::Yes ? QMessageBox::Yes : QMessageBox::No;
        return showMessage(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No, enter)
            == QMessageBox::Yes;
    }

    bool inputText(const QString& prompt, const QString& title, QString& text, int maxLength) override
    {
        QInputDialog input(QApplication::activeWindow());
        input.setWindowTitle(title);
        input.setLabelText(prompt);
        input.setInputMode(QInputDialog::TextInput);
        input.setMinimumWidth(titleBarWidth(input, title));
        for (QLabel* label : input.findChildren<QLabel*>())
            label->setTextFormat(Qt::PlainText);
        // The player sees while typing where a name that is kept ends. Counted
        // in characters: an emoji is one, and never cut in half.
        if (auto* line = input.findChild<QLineEdit*>(); line && maxLength > 0)
            QObject::connect(line, &QLineEdit::textChanged, line, [line, maxLength](const QString& typed) {
                const QString kept = firstCharacters(typed, maxLength);
                if (kept != typed)
                    line->setText(kept);
            });
        const bool ok = input.exec() == QDialog::Accepted;
        text = ok ? input.textValue() : QString();
        return ok;
    }

    QStringList chooseFiles(const QString& title, const QString& folder, const QStringList& patterns) override
    {
        // Patterns in both cases: the chooser may match them case by case.
        QStringList both;
        for (const QString& pattern : patterns)
            both << pattern.toLower() << pattern.toUpper();
        both.removeDuplicates();
        const QString filter = QStringLiteral("%1 (%2)").arg(title, both.join(u' '));
        return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, folder, filter);
    }
};

Dialogs*& installed()
{
    static Dialogs* replacement = nullptr;
    return replacement;
}

} // namespace

int titleBarWidth(const QWidget& window, const QString& title)
{
    QFont bold = window.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int button = 2 * metrics.height();
    return metrics.horizontalAdvance(title) * 5 / 4 + 4 * button;
}

QMessageBox* makeMessageBox(QMessageBox::Icon icon, const QString& text, const QString& title,
                            QMessageBox::StandardButtons buttons, QWidget* parent)
{
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    withoutMaximizeButton(box);
    makeRoomForTitle(*box);
    return box;
}

void makeRoomForTitle(QMessageBox& box)
{
    // The box takes its width from its layout's least width when shown:
    // a row of nothing as wide as the title widens it.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(titleBarWidth(box, box.windowTitle()), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

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
