#include "resources/PictureChoiceDialog.h"

#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "game/Accessibility.h"
#include "game/ImageControl.h"
#include "game/SharedState.h"
#include "language/Language.h"
#include "resources/PictureRing.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "sound/Sounds.h"
#include "util/Paths.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tess {

namespace {

// 4005 x 3000 twips at 15 twips per pixel.
constexpr QSize PreviewSize(267 * 3 / 2, 200 * 3 / 2);

RingPosition position()
{
    const SharedState& s = shared();
    return {s.Album, s.Picture, s.PicFileIndex};
}

void take(const RingPosition& at)
{
    SharedState& s = shared();
    s.Album = at.Album;
    s.Picture = at.Picture;
    s.PicFileIndex = at.PicFileIndex;
}

} // namespace

PictureChoiceDialog::PictureChoiceDialog(QWidget* parent)
    : QDialog(parent)
    , imgBild(new ImageControl(this))
    , cmdPrev(new QPushButton(this))
    , cmdNext(new QPushButton(this))
    , cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , folder_(picturesFolder())
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setModal(true);
    imgBild->setFixedSize(PreviewSize);
    imgBild->setCursor(Qt::PointingHandCursor);
    setAccessibleRole(imgBild, QAccessible::Graphic);
    cmdPrev->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    cmdNext->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    cmdOK->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(imgBild);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdPrev);
    buttons->addWidget(cmdNext);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
    connect(cmdPrev, &QPushButton::clicked, this, &PictureChoiceDialog::cmdPrev_Click);
    connect(cmdNext, &QPushButton::clicked, this, &PictureChoiceDialog::cmdNext_Click);
    connect(cmdOK, &QPushButton::clicked, this, &PictureChoiceDialog::cmdOK_Click);
    connect(imgBild, &ImageControl::doubleClicked, this, &PictureChoiceDialog::imgBild_DblClick);
}

void PictureChoiceDialog::Form_Load()
{
    SharedState& s = shared();
    trapped("frmPicAuswahl", "Form_Load", [&](Steps& step) {
        bool folderFound = true;
        step([&] {
            try {
                File1 = pictureFiles(folder_);
            } catch (const RunTimeError& error) {
                if (error.number() != ErrPathNotFound)
                    throw;
                // No picture folder: the built-in pictures only.
                folderFound = false;
                File1.clear();
                s.Album = 0;
            }
        });
        step([&] {
            if (!folderFound)
                return;
            const QString stored = readSetting(keys::File);
            for (qsizetype i = 0; i < File1.size(); ++i)
                if (File1.at(i) == stored)
                    s.PicFileIndex = qint16(i);
            if (s.PicFileIndex >= File1.size())
                s.PicFileIndex = 0;
        });
        step([&] {
            if (s.Picture == 0)
                s.Picture = 101;
            // A folder without pictures: the ring is the built-ins.
            if (s.Album == 1 && File1.isEmpty())
                s.Album = 0;
        });
        step([&] {
            cmdPrev->setToolTip(langText(131));
            cmdNext->setToolTip(langText(132));
        });
        step([&] { showCandidate(); });
    });
}

void PictureChoiceDialog::showCandidate()
{
    const SharedState& s = shared();
    imgBild->setPicture(QImage(), -1);
    // A screen reader hears which picture it is: the file's name, or the built-in picture's number.
    imgBild->setAccessibleName(s.Album == 1 ? File1.value(s.PicFileIndex) : QString::number(s.Picture));
    if (s.Album == 0)
        imgBild->setPicture(LoadResPicture(qint16(s.Picture + 100)), -1);
    else if (s.Album == 1)
        imgBild->setPicture(LoadPicture(folder_ + File1.value(s.PicFileIndex)), -1);
}

void PictureChoiceDialog::step(bool forward, const char* procedure)
{
    trapped("frmPicAuswahl", procedure, [&](Steps& step) {
        step([&] {
            const RingPosition at = position();
            take(forward ? nextInRing(at, File1.size()) : previousInRing(at, File1.size()));
        });
        // A picture that cannot be decoded is reported; the ring goes on past it.
        step([&] { showCandidate(); });
        step([&] {
            if (shared().PlaySound == 1)
                PlayWAV(109, 0);
        });
    });
}

void PictureChoiceDialog::cmdNext_Click()
{
    step(true, "cmdNext_Click");
}

void PictureChoiceDialog::cmdPrev_Click()
{
    step(false, "cmdPrev_Click");
}

void PictureChoiceDialog::cmdOK_Click()
{
    const SharedState& s = shared();
    trapped("frmPicAuswahl", "cmdOK_Click", [&](Steps& step) {
        step([&] { saveIntegerSetting(keys::Picture, s.Picture); });
        step([&] { saveIntegerSetting(keys::Album, s.Album); });
        step([&] {
            // The last file visited is remembered, also when a built-in picture is chosen.
            if (s.PicFileIndex >= 0 && s.PicFileIndex < File1.size())
                saveSetting(keys::File, File1.at(s.PicFileIndex));
        });
        step([&] { accept(); });
    });
}

void PictureChoiceDialog::imgBild_DblClick()
{
    trapped("frmPicAuswahl", "imgBild_DblClick", [&](Steps& step) { step([&] { cmdOK_Click(); }); });
}

} // namespace tess
