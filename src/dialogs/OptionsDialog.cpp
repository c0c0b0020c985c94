#include "dialogs/OptionsDialog.h"

#include "language/Language.h"
#include "language/TextNumbers.h"
#include "settings/SettingsStore.h"
#include "sound/Sounds.h"
#include "util/Checked.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"
#include "util/WindowButtons.h"

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

#include <algorithm>
#include <string_view>
#include <utility>

namespace tess {

namespace {

// The on/off options shown as plain check boxes, each stored at its click:
// its key (which names its member of the shared state), the click's procedure
// in error reports and its caption. They stand in this order, the sound
// effects' box in the sound group above the music, the others in the game
// options.
struct OnOffBox {
    const SettingKey& key;
    const char* procedure;
    qint16 text;
    bool inSoundGroup = false;
};

constexpr OnOffBox OnOffBoxes[] = {
    {keys::playSounds, "chkSound_Click", text::PlaySounds, true},
    {keys::showGrid, "chkGrid_Click", text::ShowGrid},
    {keys::autoDraw, "chkFlip_Click", text::AutoDraw},
    {keys::showPreview, "chkPreview_Click", text::ShowPreview},
    {keys::offerHints, "chkTipp_Click", text::OfferHints},
    {keys::useJokers, "chkJoker_Click", text::UseJokers},
    {keys::timeLimit, "chkTime_Click", text::TimeLimit},
};

static_assert(std::ranges::all_of(OnOffBoxes, [](const OnOffBox& box) { return box.key.option != nullptr; }),
              "every box's key names its member of SharedState in AllSettingKeys");

// The order in which load clicks the design's boxes, which is the order in
// which a fresh settings file gets their keys; boxes added since follow in
// the table's order.
constexpr std::string_view DesignLoadOrder[] = {"Grid", "Time", "Tipp", "Flip", "Miniatur", "Joker", "PlaySound"};

std::vector<std::size_t> loadOrder()
{
    const auto rank = [](std::size_t index) {
        const auto* found = std::ranges::find(DesignLoadOrder, std::string_view(OnOffBoxes[index].key.key));
        return found - std::begin(DesignLoadOrder);
    };
    std::vector<std::size_t> order(std::size(OnOffBoxes));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::ranges::stable_sort(order, {}, rank);
    return order;
}

} // namespace

OptionsDialog::OptionsDialog(QWidget* parent)
    : QDialog(parent)
{
    setModal(true);
    withoutMaximizeButton(this);
    build();
    for (std::size_t i = 0; i < optionBoxes_.size(); ++i)
        connect(optionBoxes_[i], &QCheckBox::clicked, this, [this, i] { plainOptionClicked(i); });
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
            step(50010, [&] {
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
    addOptionBoxes(music, soundGroup, true);
    musicCheck = new QCheckBox(soundGroup);
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
    addOptionBoxes(options, gameOptionsGroup, false);
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

void OptionsDialog::addOptionBoxes(QBoxLayout* column, QGroupBox* group, bool soundGroup)
{
    optionBoxes_.resize(std::size(OnOffBoxes));
    for (std::size_t i = 0; i < optionBoxes_.size(); ++i) {
        if (OnOffBoxes[i].inSoundGroup != soundGroup)
            continue;
        optionBoxes_[i] = new QCheckBox(group);
        column->addWidget(optionBoxes_[i]);
    }
}

QCheckBox* OptionsDialog::optionCheck(const SettingKey& key) const
{
    for (std::size_t i = 0; i < optionBoxes_.size(); ++i)
        if (qstricmp(OnOffBoxes[i].key.section, key.section) == 0 && qstricmp(OnOffBoxes[i].key.key, key.key) == 0)
            return optionBoxes_[i];
    return nullptr;
}

void OptionsDialog::setQuietly(QCheckBox* box, bool checked)
{
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
}

void OptionsDialog::setJoining(bool joining)
{
    joining_ = joining;
    for (QWidget* part : std::initializer_list<QWidget*>{fieldLabels[0], boardSizeBox, playersGroup, frameColourGroup,
                                                         gameOptionsGroup})
        part->setVisible(!joining);
}

void OptionsDialog::load()
{
    SharedState& s = shared();
    trapped("frmOpt", "Form_Load", [&](Steps& step) {
        // A joining computer's dialog writes back only what it shows: the
        // board and the players are the host's game's.
        if (!joining_) {
            step(50010, [&] {
                for (int i = 0; i < s.playerCount; ++i)
                    at(nameEdits, i, "txtSpieler")->setEnabled(true);
            });
            step(50020, [&] {
                for (std::size_t i = 0; i < nameEdits.size(); ++i)
                    nameEdits[i]->setText(s.names[i]);
            });
            step(50030, [&] {
                if (s.playerCount < 1 || s.playerCount > 4)
                    raiseError(ErrInvalidProperty, QStringLiteral("cmbSpieler.ListIndex = %1").arg(s.playerCount - 1));
                playerCountBox->setCurrentIndex(s.playerCount - 1);
                playerCountChosen();
            });
            step(50040, [&] {
                boardSizeBox->clear();
                for (int p = 0; p < 10; ++p) {
                    const BoardSize& size = s.boardSizes[std::size_t(p)];
                    boardSizeBox->addItem(QStringLiteral("%1 x %2").arg(size.rows).arg(size.cols));
                }
            });
            step(50050, [&] {
                if (s.sizeIndex < 0 || s.sizeIndex > 9)
                    raiseError(ErrInvalidProperty, QStringLiteral("cmbSize.ListIndex = %1").arg(s.sizeIndex));
                boardSizeBox->setCurrentIndex(s.sizeIndex);
                boardSizeChosen();
            });
        }
        step(50060, [&] {
            // Every on/off option, each written back as a click would.
            for (const std::size_t i : loadOrder()) {
                if (joining_ && !OnOffBoxes[i].inSoundGroup)
                    continue;
                setQuietly(optionBoxes_[i], s.*OnOffBoxes[i].key.option);
                plainOptionClicked(i);
            }
            setQuietly(musicCheck, s.playMusic);
            musicToggled();
        });
        step(50070, [&] {
            musicRepeatButtons[s.repeatSong ? 1 : 0]->setChecked(true);
            musicRepeatChosen(s.repeatSong);
        });
        if (!joining_) {
            step(50080, [&] {
                frameColourButtons[s.frameColour == FrameColour::Black ? 1 : 0]->setChecked(true);
                frameColourChosen(s.frameColour);
            });
        }
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
        step(50010, [&] { setWindowTitle(langText(text::OptionsTitle)); });
        step(50020, [&] {
            fieldLabels[0]->setText(langText(text::BoardSizeLabel));
            fieldLabels[1]->setText(langText(text::PlayersLabel));
            frameColourGroup->setTitle(langText(text::FrameGroup));
            frameColourButtons[0]->setText(langText(text::GoldFrame));
            frameColourButtons[1]->setText(langText(text::BlackFrame));
            musicCheck->setText(langText(text::PlayMusic));
            musicRepeatButtons[0]->setText(langText(text::SongOnce));
            musicRepeatButtons[1]->setText(langText(text::SongEndless));
            for (std::size_t i = 0; i < optionBoxes_.size(); ++i)
                optionBoxes_[i]->setText(langText(OnOffBoxes[i].text));
            networkButton->setText(langText(text::NetworkGameButton));
        });
    });
}

void OptionsDialog::setNetworkGameOpener(std::function<void()> opener)
{
    openNetworkGame_ = std::move(opener);
    networkButton->setEnabled(bool(openNetworkGame_));
}

void OptionsDialog::plainOptionClicked(std::size_t index)
{
    const OnOffBox& box = OnOffBoxes[index];
    trapped("frmOpt", box.procedure, [&](Steps& step) {
        bool& value = shared().*box.key.option;
        step(50010, [&] { value = optionBoxes_[index]->isChecked(); });
        step(50020, [&] { saveOnOffSetting(box.key, value); });
    });
}

void OptionsDialog::musicToggled()
{
    SharedState& s = shared();
    trapped("frmOpt", "chkMusic_Click", [&](Steps& step) {
        step(50010, [&] { s.playMusic = musicCheck->isChecked(); });
        step(50020, [&] {
            const bool on = s.playMusic;
            if (!on)
                Music::instance().switchOff();
            for (QRadioButton* button : musicRepeatButtons)
                button->setEnabled(on);
            // Only the player's click starts a song, not the load step.
            if (on && isVisible())
                Music::instance().startSong();
        });
        step(50030, [&] { saveOnOffSetting(keys::playMusic, s.playMusic); });
    });
}

void OptionsDialog::musicRepeatChosen(bool repeat)
{
    SharedState& s = shared();
    trapped("frmOpt", "optMusicLoop_Click", [&](Steps& step) {
        step(50010, [&] {
            s.repeatSong = repeat;
            if (!repeat)
                Music::instance().songTimer().stop(); // the song plays to its end, silence follows
            else if (s.playMusic)
                Music::instance().songTimer().start();
        });
        step(50020, [&] { saveIntegerSetting(keys::repeatSongChoice, songRepeatNumber(s.repeatSong)); });
    });
}

void OptionsDialog::frameColourChosen(FrameColour colour)
{
    trapped("frmOpt", "optCol_Click", [&](Steps& step) {
        step(50010, [&] { shared().frameColour = colour; });
        step(50020, [&] { saveIntegerSetting(keys::frameColour, frameColourNumber(shared().frameColour)); });
    });
}

void OptionsDialog::boardSizeChosen()
{
    SharedState& s = shared();
    trapped("frmOpt", "cmbSize_Click", [&](Steps& step) {
        step(50010, [&] { s.sizeIndex = boardSizeBox->currentIndex(); });
        step(50020, [&] { saveIntegerSetting(keys::sizeIndex, s.sizeIndex); });
        step(50030, [&] {
            s.boardRows = boardSize(s.sizeIndex).rows;
            s.boardCols = boardSize(s.sizeIndex).cols;
        });
    });
}

void OptionsDialog::playerCountChosen()
{
    SharedState& s = shared();
    trapped("frmOpt", "cmbSpieler_Click", [&](Steps& step) {
        step(50010, [&] { s.playerCount = playerCountBox->currentText().toInt(); });
        step(50020, [&] {
            for (std::size_t i = 0; i < nameEdits.size(); ++i)
                nameEdits[i]->setEnabled(int(i) < s.playerCount);
        });
        step(50030, [&] { saveIntegerSetting(keys::playerCount, s.playerCount); });
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
        step(50010, [&] {
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
        step(50010, [&] {
            if (joining_)
                return; // the names shown are the host's game's
            for (std::size_t i = 0; i < nameEdits.size(); ++i) {
                saveSetting(keys::playerLabels[i], nameEdits[i]->text());
                shared().names[i] = nameEdits[i]->text();
            }
        });
        step(50020, [&] { accept(); });
    });
}

} // namespace tess
