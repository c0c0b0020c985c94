#include "dialogs/OptionsDialog.h"

#include "language/Language.h"
#include "settings/SettingsStore.h"
#include "sound/Sounds.h"
#include "util/Checked.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"

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

#include <utility>

namespace tess {

OptionsDialog::OptionsDialog(QWidget* parent)
    : QDialog(parent)
{
    setModal(true);
    build();
    optionBindings_ = {{
        {autoDrawCheck, &SharedState::autoDraw, keys::autoDraw, "chkFlip_Click"},
        {gridCheck, &SharedState::showGrid, keys::showGrid, "chkGrid_Click"},
        {jokersCheck, &SharedState::useJokers, keys::useJokers, "chkJoker_Click"},
        {previewCheck, &SharedState::showPreview, keys::showPreview, "chkPreview_Click"},
        {soundCheck, &SharedState::playSounds, keys::playSounds, "chkSound_Click"},
        {timeLimitCheck, &SharedState::timeLimit, keys::timeLimit, "chkTime_Click"},
        {hintsCheck, &SharedState::offerHints, keys::offerHints, "chkTipp_Click"},
    }};
    for (const Binding& binding : optionBindings_)
        connect(binding.box, &QCheckBox::clicked, this, [this, &binding] { plainOptionClicked(binding); });
    connect(musicCheck, &QCheckBox::clicked, this, &OptionsDialog::musicToggled);
    // The first button of each pair: play once, the gold frame; the second: endless, the black frame.
    connect(musicRepeatButtons[0], &QRadioButton::clicked, this, [this] { musicRepeatChosen(false); });
    connect(musicRepeatButtons[1], &QRadioButton::clicked, this, [this] { musicRepeatChosen(true); });
    connect(frameColourButtons[0], &QRadioButton::clicked, this, [this] { frameColourChosen(FrameColour::Gold); });
    connect(frameColourButtons[1], &QRadioButton::clicked, this, [this] { frameColourChosen(FrameColour::Black); });
    connect(boardSizeBox, &QComboBox::activated, this, &OptionsDialog::boardSizeChosen);
    connect(playerCountBox, &QComboBox::activated, this, &OptionsDialog::playerCountChosen);
    connect(okButton, &QPushButton::clicked, this, &OptionsDialog::saveNamesAndClose);
    connect(networkButton, &QPushButton::clicked, this, [this] {
        trapped("frmOpt", "networkGameClicked", [&](Steps& step) {
            step([&] {
                if (openNetworkGame_)
                    openNetworkGame_();
            });
        });
    });
    for (QLineEdit* box : nameEdits)
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
    fieldLabels[0] = new QLabel(this);
    boardSizeBox = new QComboBox(this);
    fieldLabels[0]->setBuddy(boardSizeBox);
    sizeRow->addWidget(fieldLabels[0]);
    sizeRow->addWidget(boardSizeBox, 1);
    left->addLayout(sizeRow);

    playersGroup = new QGroupBox(this);
    auto* names = new QVBoxLayout(playersGroup);
    auto* countRow = new QHBoxLayout;
    fieldLabels[1] = new QLabel(playersGroup);
    playerCountBox = new QComboBox(playersGroup);
    playerCountBox->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    fieldLabels[1]->setBuddy(playerCountBox);
    countRow->addWidget(fieldLabels[1]);
    countRow->addWidget(playerCountBox, 1);
    names->addLayout(countRow);
    for (std::size_t i = 0; i < nameEdits.size(); ++i) {
        nameEdits[i] = new QLineEdit(playersGroup);
        names->addWidget(nameEdits[i]);
    }
    left->addWidget(playersGroup);

    frameColourGroup = new QGroupBox(this);
    auto* colours = new QHBoxLayout(frameColourGroup);
    for (QRadioButton*& button : frameColourButtons) {
        button = new QRadioButton(frameColourGroup);
        colours->addWidget(button);
    }
    left->addWidget(frameColourGroup);
    left->addStretch();

    soundGroup = new QGroupBox(this);
    auto* music = new QVBoxLayout(soundGroup);
    soundCheck = new QCheckBox(soundGroup);
    musicCheck = new QCheckBox(soundGroup);
    music->addWidget(soundCheck);
    music->addWidget(musicCheck);
    for (QRadioButton*& button : musicRepeatButtons) {
        button = new QRadioButton(soundGroup);
        auto* indented = new QHBoxLayout;
        indented->addSpacing(24);
        indented->addWidget(button);
        music->addLayout(indented);
    }
    right->addWidget(soundGroup);

    gameOptionsGroup = new QGroupBox(this);
    auto* options = new QVBoxLayout(gameOptionsGroup);
    for (QCheckBox** box : {&gridCheck, &autoDrawCheck, &previewCheck, &hintsCheck, &jokersCheck, &timeLimitCheck}) {
        *box = new QCheckBox(gameOptionsGroup);
        options->addWidget(*box);
    }
    right->addWidget(gameOptionsGroup);
    right->addStretch();

    auto* bottom = new QHBoxLayout;
    networkButton = new QPushButton(this);
    networkButton->setAutoDefault(false);
    networkButton->setEnabled(false);
    bottom->addWidget(networkButton);
    bottom->addStretch();
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setDefault(true);
    bottom->addWidget(okButton);
    window->addLayout(bottom);
}

void OptionsDialog::setQuietly(QCheckBox* box, bool checked)
{
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
}

void OptionsDialog::load()
{
    SharedState& s = shared();
    trapped("frmOpt", "Form_Load", [&](Steps& step) {
        step([&] {
            for (int i = 0; i < s.playerCount; ++i)
                at(nameEdits, i, "txtSpieler")->setEnabled(true);
        });
        step([&] {
            for (std::size_t i = 0; i < nameEdits.size(); ++i)
                nameEdits[i]->setText(s.names[i]);
        });
        step([&] {
            if (s.playerCount < 1 || s.playerCount > 4)
                raiseError(ErrInvalidProperty, QStringLiteral("cmbSpieler.ListIndex = %1").arg(s.playerCount - 1));
            playerCountBox->setCurrentIndex(s.playerCount - 1);
            playerCountChosen();
        });
        step([&] {
            boardSizeBox->clear();
            for (int p = 0; p < 10; ++p) {
                const BoardSize& size = s.boardSizes[std::size_t(p)];
                boardSizeBox->addItem(QStringLiteral("%1 x %2").arg(size.rows).arg(size.cols));
            }
        });
        step([&] {
            if (s.sizeIndex < 0 || s.sizeIndex > 9)
                raiseError(ErrInvalidProperty, QStringLiteral("cmbSize.ListIndex = %1").arg(s.sizeIndex));
            boardSizeBox->setCurrentIndex(s.sizeIndex);
            boardSizeChosen();
        });
        step([&] {
            // Every on/off option, each written back as a click would.
            const std::array<std::size_t, 7> order{1, 5, 6, 0, 3, 2, 4};
            for (const std::size_t i : order) {
                setQuietly(optionBindings_[i].box, s.*optionBindings_[i].value);
                plainOptionClicked(optionBindings_[i]);
            }
            setQuietly(musicCheck, s.playMusic);
            musicToggled();
        });
        step([&] {
            musicRepeatButtons[s.repeatSong ? 1 : 0]->setChecked(true);
            musicRepeatChosen(s.repeatSong);
        });
        step([&] {
            frameColourButtons[s.frameColour == FrameColour::Black ? 1 : 0]->setChecked(true);
            frameColourChosen(s.frameColour);
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
            fieldLabels[0]->setText(langText(141));
            fieldLabels[1]->setText(langText(142));
            frameColourGroup->setTitle(langText(143));
            frameColourButtons[0]->setText(langText(144));
            frameColourButtons[1]->setText(langText(145));
            soundCheck->setText(langText(146));
            musicCheck->setText(langText(147));
            musicRepeatButtons[0]->setText(langText(148));
            musicRepeatButtons[1]->setText(langText(149));
            gridCheck->setText(langText(150));
            autoDrawCheck->setText(langText(151));
            previewCheck->setText(langText(152));
            hintsCheck->setText(langText(153));
            jokersCheck->setText(langText(154));
            timeLimitCheck->setText(langText(155));
            networkButton->setText(langText(201));
        });
    });
}

void OptionsDialog::setNetworkGameOpener(std::function<void()> opener)
{
    openNetworkGame_ = std::move(opener);
    networkButton->setEnabled(bool(openNetworkGame_));
}

void OptionsDialog::plainOptionClicked(const Binding& binding)
{
    trapped("frmOpt", binding.procedure, [&](Steps& step) {
        bool& value = shared().*binding.value;
        step([&] { value = binding.box->isChecked(); });
        step([&] { saveOnOffSetting(binding.key, value); });
    });
}

void OptionsDialog::musicToggled()
{
    SharedState& s = shared();
    trapped("frmOpt", "chkMusic_Click", [&](Steps& step) {
        step([&] { s.playMusic = musicCheck->isChecked(); });
        step([&] {
            const bool on = s.playMusic;
            if (!on)
                Music::instance().switchOff();
            for (QRadioButton* button : musicRepeatButtons)
                button->setEnabled(on);
            // Only the player's click starts a song, not the load step.
            if (on && isVisible())
                Music::instance().startSong();
        });
        step([&] { saveOnOffSetting(keys::playMusic, s.playMusic); });
    });
}

void OptionsDialog::musicRepeatChosen(bool repeat)
{
    SharedState& s = shared();
    trapped("frmOpt", "optMusicLoop_Click", [&](Steps& step) {
        step([&] {
            s.repeatSong = repeat;
            if (!repeat)
                Music::instance().songTimer().stop(); // the song plays to its end, silence follows
            else if (s.playMusic)
                Music::instance().songTimer().start();
        });
        step([&] { saveIntegerSetting(keys::repeatSongChoice, songRepeatNumber(s.repeatSong)); });
    });
}

void OptionsDialog::frameColourChosen(FrameColour colour)
{
    trapped("frmOpt", "optCol_Click", [&](Steps& step) {
        step([&] { shared().frameColour = colour; });
        step([&] { saveIntegerSetting(keys::frameColour, frameColourNumber(shared().frameColour)); });
    });
}

void OptionsDialog::boardSizeChosen()
{
    SharedState& s = shared();
    trapped("frmOpt", "cmbSize_Click", [&](Steps& step) {
        step([&] { s.sizeIndex = boardSizeBox->currentIndex(); });
        step([&] { saveIntegerSetting(keys::sizeIndex, s.sizeIndex); });
        step([&] {
            s.boardRows = boardSize(s.sizeIndex).rows;
            s.boardCols = boardSize(s.sizeIndex).cols;
        });
    });
}

void OptionsDialog::playerCountChosen()
{
    SharedState& s = shared();
    trapped("frmOpt", "cmbSpieler_Click", [&](Steps& step) {
        step([&] { s.playerCount = playerCountBox->currentText().toInt(); });
        step([&] {
            for (std::size_t i = 0; i < nameEdits.size(); ++i)
                nameEdits[i]->setEnabled(int(i) < s.playerCount);
        });
        step([&] { saveIntegerSetting(keys::playerCount, s.playerCount); });
    });
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (std::size_t i = 0; i < nameEdits.size(); ++i) {
            if (watched == nameEdits[i])
                selectWholeName(int(i));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::selectWholeName(int index)
{
    trapped("frmOpt", "txtSpieler_GotFocus", [&](Steps& step) {
        step([&] {
            // After the click that gave the focus has placed the cursor.
            QLineEdit* box = at(nameEdits, index, "txtSpieler");
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        });
    });
}

void OptionsDialog::saveNamesAndClose()
{
    const SettingsAction action; // the four names go together
    trapped("frmOpt", "OK_Click", [&](Steps& step) {
        step([&] {
            for (std::size_t i = 0; i < nameEdits.size(); ++i) {
                saveSetting(keys::playerLabels[i], nameEdits[i]->text());
                shared().names[i] = nameEdits[i]->text();
            }
        });
        step([&] { accept(); });
    });
}

} // namespace tess
