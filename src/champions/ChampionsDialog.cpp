#include "champions/ChampionsDialog.h"

#include "language/Language.h"
#include "language/TextNumbers.h"
#include "settings/SharedState.h"
#include "sound/Sounds.h"
#include "util/Dialogs.h"
#include "util/Random.h"
#include "util/Trap.h"
#include "util/WindowButtons.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace tess {

namespace {

constexpr int Width = 420;
constexpr int Height = 500;
constexpr int RowTop = 150;
constexpr int RowHeight = 26;
const QColor Gold(255, 204, 0);
constexpr int NamePointSize = 12;
constexpr int MinNamePointSize = 7;

QLabel* label(QWidget* parent, const QRect& where, Qt::Alignment alignment, const QFont& font)
{
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText); // names are shown as typed, never as rich text
    l->setGeometry(where);
    l->setAlignment(alignment | Qt::AlignVCenter);
    l->setFont(font);
    return l;
}

} // namespace

ChampionsDialog::ChampionsDialog(QWidget* parent)
    : QDialog(parent)
    , file_(shared().sizeIndex)
{
    setWindowTitle(QStringLiteral("Tessaron Champions"));
    setFixedSize(Width, Height);
    setModal(true);
    withoutMaximizeButton(this);

    QFont titleFont(QStringLiteral("DejaVu Sans"), 18, QFont::Bold);
    QFont table(QStringLiteral("DejaVu Sans Mono"), NamePointSize);
    table.setStyleHint(QFont::Monospace);
    QFont heading = table;
    heading.setBold(true);

    titleLabel = label(this, QRect(0, 0, Width, 56), Qt::AlignHCenter, titleFont);
    titleLabel->setText(QStringLiteral("Tessaron Champions"));
    titleLabel->setAutoFillBackground(true);
    boardSizeLabel = label(this, QRect(0, 64, Width, 28), Qt::AlignHCenter, heading);

    tableFrame = new QFrame(this);
    tableFrame->setGeometry(20, 100, Width - 40, 330);
    tableFrame->setFrameShape(QFrame::Box);
    tableFrame->setLineWidth(2);
    columnHeaders[0] = label(this, QRect(80, 108, 220, 28), Qt::AlignLeft, heading);
    columnHeaders[1] = label(this, QRect(300, 108, 90, 28), Qt::AlignRight, heading);
    headerRule = new QFrame(this);
    headerRule->setGeometry(30, 140, Width - 60, 2);
    headerRule->setAutoFillBackground(true);
    for (int r = 0; r < ChampionsFile::RankCount; ++r) {
        const int y = RowTop + r * RowHeight;
        rankLabels[std::size_t(r)] = label(this, QRect(30, y, 44, RowHeight), Qt::AlignRight, table);
        rankLabels[std::size_t(r)]->setText(QStringLiteral("%1.").arg(r + 1));
        nameLabels[std::size_t(r)] = label(this, QRect(80, y, 220, RowHeight), Qt::AlignLeft, table);
        scoreLabels[std::size_t(r)] = label(this, QRect(300, y, 90, RowHeight), Qt::AlignRight, table);
    }
    clearButton = new QPushButton(this);
    clearButton->setGeometry(20, Height - 56, 150, 36);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setGeometry(Width - 170, Height - 56, 150, 36);
    okButton->setDefault(true);
    connect(clearButton, &QPushButton::clicked, this, &ChampionsDialog::clearChampions);
    connect(okButton, &QPushButton::clicked, this, &ChampionsDialog::closeList);

    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
}

void ChampionsDialog::load()
{
    trapped("frmHighscore", "Form_Load", [&](Steps& step) {
        step(50010, [&] { file_ = ChampionsFile(shared().sizeIndex); });
        step(50020, [&] { file_.readList(ranked_); });
        step(50030, [&] {
            if (shared().newResultPending)
                checkNewResult();
        });
        step(50040, [&] { file_.readList(ranked_); }); // show what the file now holds
        step(50050, [&] { colour(); });
        step(50060, [&] { showChampions(); });
    });
}

void ChampionsDialog::colour()
{
    for (QLabel* l : findChildren<QLabel*>()) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, Gold);
        l->setPalette(p);
    }
    QPalette band = titleLabel->palette();
    band.setColor(QPalette::Window, Gold);
    band.setColor(QPalette::WindowText, Qt::black);
    titleLabel->setPalette(band);
    QPalette rule = headerRule->palette();
    rule.setColor(QPalette::Window, Gold);
    rule.setColor(QPalette::WindowText, Gold);
    headerRule->setPalette(rule);
    tableFrame->setPalette(rule);
    for (QPushButton* button : {clearButton, okButton})
        button->setStyleSheet(QStringLiteral("QPushButton { background: rgb(255, 204, 0); color: black; border: 1px solid black;"
                                             " border-radius: 3px; font-weight: bold; }"
                                             "QPushButton:focus { border: 2px solid white; }"
                                             "QPushButton:pressed { background: rgb(204, 163, 0); }"));
}

bool ChampionsDialog::event(QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
        retranslate();
    return QDialog::event(event);
}

void ChampionsDialog::retranslate()
{
    trapped("frmHighscore", "Form_Activate", [&](Steps& step) {
        step(50010, [&] { columnHeaders[0]->setText(langText(text::ChampionName)); });
        step(50020, [&] { columnHeaders[1]->setText(langText(text::ChampionPoints)); });
        step(50030, [&] {
            boardSizeLabel->setText(langText(text::BoardSizeLabel) + QStringLiteral(": ") + QString::number(shared().boardRows) + QStringLiteral(" x ")
                             + QString::number(shared().boardCols));
        });
        step(50040, [&] { clearButton->setText(langText(text::ClearChampionsButton)); });
    });
}

void ChampionsDialog::checkNewResult()
{
    SharedState& s = shared();
    trapped("frmHighscore", "CheckHS", [&](Steps& step) {
        bool enters = false;
        step(50010, [&] { enters = ranked_.size() > 0 && qualifies(s.championScore, ranked_.at(0)); });
        if (!enters)
            return;
        step(50020, [&] {
            if (s.playSounds)
                playSoundEffect(soundEffectAfter(SoundEffect::ChampionFirst, randomBetween(1, 3) - 1), false);
        });
        QString name;
        // Cancel: no name, entered all the same.
        step(50030, [&] { dialogs().inputText(langText(text::AskForName), langText(text::Congratulations), name, ChampionsFile::MaxNameLength); });
        QString entry;
        step(50040, [&] { entry = makeEntry(s.championScore, name); });
        step(50050, [&] {
            // Unlike a silent failure, the player learns that the result was not kept.
            if (!file_.addResult(entry, ranked_))
                dialogs().inform(langText(text::ResultNotStored) + QStringLiteral("\n\n") + ChampionsFile::path(), QStringLiteral("Tessaron"));
        });
    });
}

void ChampionsDialog::showName(QLabel* row, const QString& name)
{
    // A name fits its row: twenty characters in a wide script (Chinese) or
    // of wide letters are drawn smaller, down to a size still read easily,
    // and only then cut short (the whole name then as the row's tip).
    QFont font = row->font();
    font.setPointSize(NamePointSize);
    const int room = row->width() - 2;
    while (QFontMetrics(font).horizontalAdvance(name) > room && font.pointSize() > MinNamePointSize)
        font.setPointSize(font.pointSize() - 1);
    row->setFont(font);
    const QString shown = QFontMetrics(font).elidedText(name, Qt::ElideRight, room);
    row->setText(shown);
    // A tip shows rich text when it looks like it: the name goes in escaped.
    row->setToolTip(shown == name ? QString() : QStringLiteral("<p style='white-space:pre'>%1</p>").arg(name.toHtmlEscaped()));
    row->setAccessibleName(name);
}

void ChampionsDialog::showChampions()
{
    trapped("frmHighscore", "ShowHS", [&](Steps& step) {
        step(50010, [&] {
            const auto rows = rowsToShow(ranked_);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                showName(nameLabels[r], rows[r].name);
                scoreLabels[r]->setText(rows[r].points);
            }
        });
    });
}

void ChampionsDialog::clearChampions()
{
    trapped("frmHighscore", "cmdDelHS_Click", [&](Steps& step) {
        bool yes = false;
        step(50010, [&] { yes = dialogs().askYesNo(langText(text::ReallyClearChampions), langText(text::ClearChampionsTitle)); });
        if (!yes)
            return;
        step(50020, [&] {
            if (!file_.writeValue(QString(), QString()))
                dialogs().inform(langText(text::ChampionsNotCleared) + QStringLiteral("\n\n") + ChampionsFile::path(), QStringLiteral("Tessaron"));
        });
        step(50030, [&] { closeList(); });
    });
}

void ChampionsDialog::closeList()
{
    trapped("frmHighscore", "cmdOK_Click", [&](Steps& step) { step(50010, [&] { accept(); }); });
}

} // namespace tess
