#pragma once
// The champions dialog (frmHighscore): the ten best one-player results of the
// current board size. Opened at the end of a one-player game (checkChampion true)
// it first decides whether the result enters and asks for the name; opened
// from the button bar it only shows the list.

#include "champions/ChampionsList.h"

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace tess {

class HighscoreDialog : public QDialog {
    Q_OBJECT

public:
    explicit HighscoreDialog(QWidget* parent = nullptr);

    // Reads the list, checks a new result when checkChampion is set, shows the list.
    void load();
    // The texts in the current language.
    void retranslate();
    void CheckHS();
    void ShowHS();
    void cmdDelHS_Click();
    void cmdOK_Click();

    const RankedList& ranked() const { return lstSort; }

    QLabel* lblTitle;
    QLabel* lblMode;
    QFrame* Shape1;
    std::array<QLabel*, 2> lblHeader{};
    QFrame* Line1;
    std::array<QLabel*, ChampionsFile::RankCount> Label1{};
    std::array<QLabel*, ChampionsFile::RankCount> lblHName{};
    std::array<QLabel*, ChampionsFile::RankCount> lblHScore{};
    QPushButton* cmdDelHS;
    QPushButton* cmdOK;

protected:
    bool event(QEvent* event) override;

private:
    void colour();
    static void showName(QLabel* row, const QString& name);

    ChampionsFile file_;
    RankedList lstSort;
};

} // namespace tess
