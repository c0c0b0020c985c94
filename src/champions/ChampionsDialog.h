#pragma once
// The champions dialog (frmHighscore): the ten best one-player results of the
// current board size. Opened at the end of a one-player game (newResultPending true)
// it first decides whether the result enters and asks for the name; opened
// from the button bar it only shows the list.

#include "champions/ChampionsList.h"

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace tess {

class ChampionsDialog : public QDialog {
    Q_OBJECT

public:
    explicit ChampionsDialog(QWidget* parent = nullptr);

    // Reads the list, checks a new result when newResultPending is set, shows the list.
    void load();
    // The texts in the current language.
    void retranslate();
    void checkNewResult();
    void showChampions();
    void clearChampions();
    void closeList();

    const RankedList& ranked() const { return ranked_; }

    QLabel* titleLabel;
    QLabel* boardSizeLabel;
    QFrame* tableFrame;
    std::array<QLabel*, 2> columnHeaders{};
    QFrame* headerRule;
    std::array<QLabel*, ChampionsFile::RankCount> rankLabels{};
    std::array<QLabel*, ChampionsFile::RankCount> nameLabels{};
    std::array<QLabel*, ChampionsFile::RankCount> scoreLabels{};
    QPushButton* clearButton;
    QPushButton* okButton;

protected:
    bool event(QEvent* event) override;

private:
    void colour();
    static void showName(QLabel* row, const QString& name);

    ChampionsFile file_;
    RankedList ranked_;
};

} // namespace tess
