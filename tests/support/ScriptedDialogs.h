#pragma once
// Message boxes for tests: every box is recorded, questions answered from a script.

#include "util/Dialogs.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace tess::test {

class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() { setDialogs(this); }
    ~ScriptedDialogs() override { setDialogs(nullptr); }

    void inform(const QString& text, const QString& title) override
    {
        informed << text;
        titles << title;
        // A real box runs events while it is open; a test may do so too.
        if (whileInforming)
            whileInforming();
    }
    bool askYesNo(const QString& text, const QString& title, Answer byDefault) override
    {
        defaults << byDefault;
        asked << text;
        titles << title;
        return answers.isEmpty() ? false : answers.takeFirst();
    }

    bool inputText(const QString& prompt, const QString& title, QString& text, int maxLength = 0) override
    {
        limits << maxLength;
        asked << prompt;
        titles << title;
        if (whileTyping)
            whileTyping();
        if (typed.isEmpty()) {
            text.clear();
            return false; // Cancel
        }
        text = typed.takeFirst();
        return true;
    }

    QStringList chooseFiles(const QString& title, const QString&, const QStringList& patterns) override
    {
        titles << title;
        filePatterns = patterns;
        return chosen.isEmpty() ? QStringList() : chosen.takeFirst();
    }

    QStringList informed;
    std::function<void()> whileInforming;
    QList<QStringList> chosen; // the files picked in each file chooser; once used up, Cancel
    QStringList filePatterns; // what the last file chooser offered
    QStringList typed; // the texts typed into input boxes; once used up, Cancel
    QStringList asked;
    QList<Answer> defaults; // the button Enter pressed in each question
    QStringList titles;
    QList<int> limits; // the longest text each input box took (0: any)
    QList<bool> answers; // Yes is true; once used up every question is answered No
    std::function<void()> whileTyping; // runs while an input box is up
};

} // namespace tess::test
