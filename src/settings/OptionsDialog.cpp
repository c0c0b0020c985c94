#include "settings/OptionsDialog.h"

#include "errors/Checked.h"
#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "language/Language.h"
#include "settings/SettingsStore.h"
#include "sound/Sounds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace tess {

OptionsDialog::OptionsDialog(QWidget* parent)
    : QDialog(parent)
{
    setModal(true);
    build();
    plain_ = {{
        {chkFlip, &SharedState::autoDraw, keys::autoDraw, "chkFlip_Click"},
        {chkGrid, &SharedState::showGrid, keys::showGrid, "chkGrid_Click"},
        {chkJoker, &SharedState::useJokers, keys::useJokers, "chkJoker_Click"},
        {chkPreview, &SharedState::showPreview, keys::showPreview, "chkPreview_Click"},
        {chkSound, &SharedState::playSounds, keys::playSounds, "chkSound_Click"},
        {chkTime, &SharedState::timeLimit, keys::timeLimit, "chkTime_Click"},
        {chkTipp, &SharedState::offerHints, keys::offerHints, "chkTipp_Click"},
    }};
    for (const Binding& binding : plain_)
        connect(binding.box, &QCheckBox::clicked, this, [this, &binding] { plainOptionClicked(binding); });
    connect(chkMusic, &QCheckBox::clicked, this, &OptionsDialog::chkMusic_Click);
    for (int i = 0; i < 2; ++i) {
        connect(optMusicLoop[std::size_t(i)], &QRadioButton::clicked, this, [this, i] { optMusicLoop_Click(i); });
        connect(optCol[std::size_t(i)], &QRadioButton::clicked, this, [this, i] { optCol_Click(i); });
    }
    connect(cmbSize, &QComboBox::activated, this, &OptionsDialog::cmbSize_Click);
    connect(cmbSpieler, &QComboBox::activated, this, &OptionsDialog::cmbSpieler_Click);
    connect(OK, &QPushButton::clicked, this, &OptionsDialog::OK_Click);
    for (QLineEdit* box : txtSpieler)
        box->installEventFilter(this);
}

void OptionsDialog::build()
{
    // Left: size, players, frame colour; right: sound and music, game options; OK below.
    auto* window = new QVBoxLayout(this);
    window->setSizeConstraint(QLayout::SetFixedSize);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    window->addLayout(columns);

    auto* sizeRow = new QHBoxLayout;
    Label[0] = new QLabel(this);
    cmbSize = new QComboBox(this);
    Label[0]->setBuddy(cmbSize);
    sizeRow->addWidget(Label[0]);
    sizeRow->addWidget(cmbSize, 1);
    left->addLayout(sizeRow);

    fraNamen = new QGroupBox(this);
    auto* names = new QVBoxLayout(fraNamen);
    auto* countRow = new QHBoxLayout;
    Label[1] = new QLabel(fraNamen);
    cmbSpieler = new QComboBox(fraNamen);
    cmbSpieler->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    Label[1]->setBuddy(cmbSpieler);
    countRow->addWidget(Label[1]);
    countRow->addWidget(cmbSpieler, 1);
    names->addLayout(countRow);
    for (std::size_t i = 0; i < txtSpieler.size(); ++i) {
        txtSpieler[i] = new QLineEdit(fraNamen);
        names->addWidget(txtSpieler[i]);
    }
    left->addWidget(fraNamen);

    Frame2 = new QGroupBox(this);
    auto* colours = new QHBoxLayout(Frame2);
    for (QRadioButton*& button : optCol) {
        button = new QRadioButton(Frame2);
        colours->addWidget(button);
    }
    left->addWidget(Frame2);
    left->addStretch();

    Frame1 = new QGroupBox(this);
    auto* music = new QVBoxLayout(Frame1);
    chkSound = new QCheckBox(Frame1);
    chkMusic = new QCheckBox(Frame1);
    music->addWidget(chkSound);
    music->addWidget(chkMusic);
    for (QRadioButton*& button : optMusicLoop) {
        button = new QRadioButton(Frame1);
        auto* indented = new QHBoxLayout;
        indented->addSpacing(24);
        indented->addWidget(button);
        music->addLayout(indented);
    }
    right->addWidget(Frame1);

    fraOptionen = new QGroupBox(this);
    auto* options = new QVBoxLayout(fraOptionen);
    for (QCheckBox** box : {&chkGrid, &chkFlip, &chkPreview, &chkTipp, &chkJoker, &chkTime}) {
        *box = new QCheckBox(fraOptionen);
        options->addWidget(*box);
    }
    right->addWidget(fraOptionen);
    right->addStretch();

    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setDefault(true);
    window->addWidget(OK, 0, Qt::AlignRight);
}

void OptionsDialog::setQuietly(QCheckBox* box, qint16 value)
{
    const QSignalBlocker quiet(box);
    box->setChecked(value != 0);
}

void OptionsDialog::load()
{
    SharedState& s = shared();
    trapped("frmOpt", "Form_Load", [&](Steps& step) {
        step([&] {
            for (int i = 0; i < s.playerCount; ++i)
                at(txtSpieler, i, "txtSpieler")->setEnabled(true);
        });
        step([&] {
            for (std::size_t i = 0; i < txtSpieler.size(); ++i)
                txtSpieler[i]->setText(s.names[i]);
        });
        step([&] {
            if (s.playerCount < 1 || s.playerCount > 4)
                raiseError(ErrInvalidProperty, QStringLiteral("cmbSpieler.ListIndex = %1").arg(s.playerCount - 1));
            cmbSpieler->setCurrentIndex(s.playerCount - 1);
            cmbSpieler_Click();
        });
        step([&] {
            cmbSize->clear();
            for (int p = 0; p < 10; ++p) {
                const BoardSize& size = s.boardSizes[std::size_t(p)];
                cmbSize->addItem(QStringLiteral("%1 x %2").arg(size.rows).arg(size.cols));
            }
        });
        step([&] {
            if (s.sizeIndex < 0 || s.sizeIndex > 9)
                raiseError(ErrInvalidProperty, QStringLiteral("cmbSize.ListIndex = %1").arg(s.sizeIndex));
            cmbSize->setCurrentIndex(s.sizeIndex);
            cmbSize_Click();
        });
        step([&] {
            // Grid, Time, offerHints, Flip, showPreview, Joker, playSounds, playMusic, each written back as a click would.
            const std::array<std::size_t, 7> order{1, 5, 6, 0, 3, 2, 4};
            for (const std::size_t i : order) {
                setQuietly(plain_[i].box, s.*plain_[i].value);
                plainOptionClicked(plain_[i]);
            }
            setQuietly(chkMusic, s.playMusic);
            chkMusic_Click();
        });
        step([&] {
            const int loop = s.repeatMusic != 0 ? 1 : 0;
            optMusicLoop[std::size_t(loop)]->setChecked(true);
            optMusicLoop_Click(loop);
        });
        step([&] {
            at(optCol, s.frameColour, "optCol")->setChecked(true);
            optCol_Click(s.frameColour);
        });
    });
}

bool OptionsDialog::event(QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
        retranslate();
    return QDialog::event(event);
}

void OptionsDialog::retranslate()
{
    trapped("frmOpt", "Form_Activate", [&](Steps& step) {
        step([&] { setWindowTitle(langText(119)); });
        step([&] {
            Label[0]->setText(langText(141));
            Label[1]->setText(langText(142));
            Frame2->setTitle(langText(143));
            optCol[0]->setText(langText(144));
            optCol[1]->setText(langText(145));
            chkSound->setText(langText(146));
            chkMusic->setText(langText(147));
            optMusicLoop[0]->setText(langText(148));
            optMusicLoop[1]->setText(langText(149));
            chkGrid->setText(langText(150));
            chkFlip->setText(langText(151));
            chkPreview->setText(langText(152));
            chkTipp->setText(langText(153));
            chkJoker->setText(langText(154));
            chkTime->setText(langText(155));
        });
    });
}

void OptionsDialog::plainOptionClicked(const Binding& binding)
{
    trapped("frmOpt", binding.procedure, [&](Steps& step) {
        qint16& value = shared().*binding.value;
        step([&] { value = binding.box->isChecked() ? 1 : 0; });
        step([&] { saveIntegerSetting(binding.key, value); });
    });
}

void OptionsDialog::chkMusic_Click()
{
    SharedState& s = shared();
    trapped("frmOpt", "chkMusic_Click", [&](Steps& step) {
        step([&] { s.playMusic = chkMusic->isChecked() ? 1 : 0; });
        step([&] {
            const bool on = s.playMusic != 0;
            if (!on)
                Music::instance().switchOff();
            for (QRadioButton* button : optMusicLoop)
                button->setEnabled(on);
            // Only the player's click starts a song, not the load step.
            if (on && isVisible())
                Music::instance().startSong();
        });
        step([&] { saveIntegerSetting(keys::playMusic, s.playMusic); });
    });
}

void OptionsDialog::optMusicLoop_Click(int index)
{
    SharedState& s = shared();
    trapped("frmOpt", "optMusicLoop_Click", [&](Steps& step) {
        step([&] {
            if (index == 0) {
                s.repeatMusic = 0;
                Music::instance().songTimer().stop(); // the song plays to its end, silence follows
            } else {
                s.repeatMusic = -1;
                if (s.playMusic == 1)
                    Music::instance().songTimer().start();
            }
        });
        step([&] { saveIntegerSetting(keys::repeatMusicChoice, s.repeatMusic); });
    });
}

void OptionsDialog::optCol_Click(int index)
{
    trapped("frmOpt", "optCol_Click", [&](Steps& step) {
        step([&] { shared().frameColour = qint16(index); });
        step([&] { saveIntegerSetting(keys::frameColour, shared().frameColour); });
    });
}

void OptionsDialog::cmbSize_Click()
{
    SharedState& s = shared();
    trapped("frmOpt", "cmbSize_Click", [&](Steps& step) {
        step([&] { s.sizeIndex = qint16(cmbSize->currentIndex()); });
        step([&] { saveIntegerSetting(keys::sizeIndex, s.sizeIndex); });
        step([&] {
            s.boardRows = boardSize(s.sizeIndex).rows;
            s.boardCols = boardSize(s.sizeIndex).cols;
        });
    });
}

void OptionsDialog::cmbSpieler_Click()
{
    SharedState& s = shared();
    trapped("frmOpt", "cmbSpieler_Click", [&](Steps& step) {
        step([&] { s.playerCount = cmbSpieler->currentText().toShort(); });
        step([&] {
            for (std::size_t i = 0; i < txtSpieler.size(); ++i)
                txtSpieler[i]->setEnabled(qint16(i) < s.playerCount);
        });
        step([&] { saveIntegerSetting(keys::playerCount, s.playerCount); });
    });
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (std::size_t i = 0; i < txtSpieler.size(); ++i) {
            if (watched == txtSpieler[i])
                txtSpieler_GotFocus(int(i));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::txtSpieler_GotFocus(int index)
{
    trapped("frmOpt", "txtSpieler_GotFocus", [&](Steps& step) {
        step([&] {
            // After the click that gave the focus has placed the cursor.
            QLineEdit* box = at(txtSpieler, index, "txtSpieler");
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        });
    });
}

void OptionsDialog::OK_Click()
{
    trapped("frmOpt", "OK_Click", [&](Steps& step) {
        step([&] {
            for (std::size_t i = 0; i < txtSpieler.size(); ++i) {
                saveSetting(keys::playerNames[i], txtSpieler[i]->text());
                shared().names[i] = txtSpieler[i]->text();
            }
        });
        step([&] { accept(); });
    });
}

} // namespace tess
