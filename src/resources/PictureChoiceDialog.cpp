#include "resources/PictureChoiceDialog.h"

#include "errors/Checked.h"
#include "errors/RunTimeError.h"
#include "errors/Trap.h"
#include "game/Accessibility.h"
#include "game/ImageControl.h"
#include "game/SharedState.h"
#include "language/Language.h"
#include "resources/PictureRing.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingDomains.h"
#include "settings/SettingsStore.h"
#include "sound/Sounds.h"
#include "util/Dialogs.h"
#include "util/FileWrite.h"
#include "util/Files.h"
#include "util/Numbers.h"
#include "util/Paths.h"

#include <QAccessible>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <cerrno>
#include <utility>

namespace tess {

namespace {

// 4005 x 3000 twips at 15 twips per pixel.
constexpr QSize PreviewSize(267, 200);

// What the picture folders list, and so what can be added.
const QStringList PicturePatterns = {QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"),
                                     QStringLiteral("*.gif"), QStringLiteral("*.png")};

bool isPictureFile(const QString& path)
{
    const QString suffix = QStringLiteral("*.") + QFileInfo(path).suffix().toLower();
    return PicturePatterns.contains(suffix);
}

// The player's pictures folder (XDG_PICTURES_DIR), else home.
QString whereToChooseFrom()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
}

// Local picture files among dropped things.
QStringList droppedPictures(const QMimeData* data)
{
    QStringList paths;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile() && isPictureFile(url.toLocalFile()))
                paths << url.toLocalFile();
    return paths;
}

RingPosition position()
{
    const SharedState& s = shared();
    return {s.album, s.pictureNumber, s.pictureFileIndex};
}

void take(const RingPosition& at)
{
    SharedState& s = shared();
    s.album = at.album;
    s.pictureNumber = at.pictureNumber;
    s.pictureFileIndex = at.pictureFileIndex;
}

} // namespace

PictureChoiceDialog::PictureChoiceDialog(QWidget* parent)
    : QDialog(parent)
    , imgBg(new ImageControl(this))
    , imgBild(new ImageControl(this))
    , cmdPrev(new QPushButton(this))
    , cmdNext(new QPushButton(this))
    , cmdAdd(new QPushButton(this))
    , cmdOK(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setModal(true);
    setAcceptDrops(true);
    // The background picture, behind everything, filling the dialog.
    imgBg->setPicture(loadArt(QStringLiteral("choice_background.png")), 0);
    imgBg->setFocusPolicy(Qt::NoFocus);
    imgBg->setAttribute(Qt::WA_TransparentForMouseEvents);
    imgBg->lower();
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
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
    connect(cmdPrev, &QPushButton::clicked, this, &PictureChoiceDialog::cmdPrev_Click);
    connect(cmdNext, &QPushButton::clicked, this, &PictureChoiceDialog::cmdNext_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &PictureChoiceDialog::cmdAdd_Click);
    connect(cmdOK, &QPushButton::clicked, this, &PictureChoiceDialog::cmdOK_Click);
    connect(imgBild, &ImageControl::doubleClicked, this, &PictureChoiceDialog::imgBild_DblClick);
}

void PictureChoiceDialog::load()
{
    SharedState& s = shared();
    trapped("frmPicAuswahl", "Form_Load", [&](Steps& step) {
        step([&] { File1 = pictureFileNames(); });
        step([&] {
            const QString stored = readSetting(keys::pictureFile);
            for (qsizetype i = 0; i < File1.size(); ++i)
                if (File1.at(i) == stored)
                    s.pictureFileIndex = i;
            if (s.pictureFileIndex >= File1.size())
                s.pictureFileIndex = 0;
        });
        step([&] {
            if (s.pictureNumber < FirstBuiltInPicture || s.pictureNumber > LastBuiltInPicture)
                s.pictureNumber = FirstBuiltInPicture;
            // A folder without pictures: the ring is the built-ins.
            if (s.album == 1 && File1.isEmpty())
                s.album = 0;
        });
        step([&] {
            // Named for screen readers by what they do, as the tips say.
            cmdPrev->setToolTip(langText(131));
            cmdNext->setToolTip(langText(132));
            cmdPrev->setAccessibleName(langText(131));
            cmdNext->setAccessibleName(langText(132));
            cmdAdd->setText(langText(195));
        });
        step([&] { showCandidate(); });
        step([&] { decodeNextAhead(); });
    });
}

QSize PictureChoiceDialog::previewPixels() const
{
    // A photo is decoded no larger than the preview shows it.
    return (QSizeF(PreviewSize) * imgBild->devicePixelRatioF()).toSize();
}

void PictureChoiceDialog::showCandidate()
{
    const SharedState& s = shared();
    // A picture decodes while the window goes on: no drop is taken meanwhile.
    const QScopedValueRollback<bool> busy(adding_, true);
    imgBild->setPicture(QImage(), -1);
    // A screen reader hears what the picture is: its file's name, or the built-in picture's title.
    const bool builtIn = s.album == 0 && s.pictureNumber >= FirstBuiltInPicture && s.pictureNumber <= LastBuiltInPicture;
    if (s.album == 1) {
        const QString& name = at(File1, s.pictureFileIndex, "File1");
        imgBild->setAccessibleName(name);
        imgBild->setPicture(loadPictureFile(pictureFilePath(name), previewPixels()), -1);
    } else {
        imgBild->setAccessibleName(builtIn ? langText(qint16(s.pictureNumber + 95)) : QString());
        if (s.album == 0)
            imgBild->setPicture(carriedPicture(addInt16(s.pictureNumber, 100)), -1);
    }
}

void PictureChoiceDialog::decodeNextAhead()
{
    // A camera photo takes longer to decode than a step should; the next one
    // is decoded on a thread of its own while the player looks at this one.
    const SharedState& s = shared();
    const RingPosition at{s.album, s.pictureNumber, s.pictureFileIndex};
    const RingPosition next = forward_ ? nextInRing(at, File1.size()) : previousInRing(at, File1.size());
    if (next.album != 1 || next.pictureFileIndex < 0 || next.pictureFileIndex >= File1.size())
        return;
    decodeAhead(pictureFilePath(File1.at(next.pictureFileIndex)), previewPixels());
}

void PictureChoiceDialog::step(bool forward, const char* procedure)
{
    trapped("frmPicAuswahl", procedure, [&](Steps& step) {
        step([&] {
            const RingPosition at = position();
            take(forward ? nextInRing(at, File1.size()) : previousInRing(at, File1.size()));
            forward_ = forward;
        });
        // A picture that cannot be decoded is reported; the ring goes on past it.
        step([&] { showCandidate(); });
        step([&] { decodeNextAhead(); });
        step([&] {
            if (shared().playSounds == 1)
                playSoundEffect(109, 0);
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
        bool refused = false;
        step([&] {
            // A file put into a picture folder by hand may have a name the
            // settings file cannot give back (blanks at its ends, too long):
            // chosen, it would be lost at every start. The player renames it.
            const QString name = File1.value(s.pictureFileIndex);
            if (s.album == 1 && !settingCanHold(name)) {
                refused = true;
                dialogs().inform(langText(180) + QStringLiteral("\n\n") + pictureFilePath(name), QStringLiteral("Tessaron"));
            }
        });
        if (refused)
            return;
        step([&] { saveIntegerSetting(keys::pictureNumber, s.pictureNumber); });
        step([&] { saveIntegerSetting(keys::album, s.album); });
        step([&] {
            // The last file visited is remembered, also when a built-in picture is chosen.
            if (s.pictureFileIndex >= 0 && s.pictureFileIndex < File1.size() && settingCanHold(File1.at(s.pictureFileIndex)))
                saveSetting(keys::pictureFile, File1.at(s.pictureFileIndex));
        });
        step([&] { accept(); });
    });
}

void PictureChoiceDialog::imgBild_DblClick()
{
    trapped("frmPicAuswahl", "imgBild_DblClick", [&](Steps& step) { step([&] { cmdOK_Click(); }); });
}

void PictureChoiceDialog::cmdAdd_Click()
{
    trapped("frmPicAuswahl", "cmdAdd_Click", [&](Steps& step) {
        QStringList chosen;
        step([&] {
            QString title = langText(195);
            while (title.endsWith(u'.'))
                title.chop(1);
            chosen = dialogs().chooseFiles(title, whereToChooseFrom(), PicturePatterns);
        });
        step([&] { addPictures(chosen); });
    });
}

void PictureChoiceDialog::addPictures(const QStringList& paths)
{
    // The dialog paints on while a picture is checked; no drop is taken meanwhile.
    const QScopedValueRollback<bool> busy(adding_, true);
    SharedState& s = shared();
    trapped("frmPicAuswahl", "addPictures", [&](Steps& step) {
        const QString folder = playerPicturesFolder();
        QString added;
        for (const QString& path : paths) {
            // Only a picture is copied: one that does not decode is reported
            // as any picture of the ring is, and left where it is.
            QByteArray bytes;
            step([&] {
                // Read once, as a regular file of sane size; decoded small,
                // only to know that it is a picture.
                QByteArray read = readWholeFile(path, MaxPictureFileBytes);
                decodePictureAside(read, path, previewPixels());
                if (isPictureFile(path))
                    bytes = std::move(read);
            });
            if (bytes.isEmpty())
                continue;
            step([&] {
                const QFileInfo from(path);
                if (QDir(from.absolutePath()) == QDir(folder)) {
                    added = from.fileName(); // already the player's
                    return;
                }
                QDir().mkpath(folder);
                // The bytes checked are the bytes kept (the file may change
                // meanwhile), under a name nobody has: another copy of the
                // game may take one at the same moment, and is never written over.
                // It is written whole to a new file first and only then
                // takes its name: a full disk leaves no half picture behind.
                for (int tries = 0; tries < 100; ++tries) {
                    const QString name = freePictureName(from.fileName());
                    const int error = createFileWhole(folder + name, bytes);
                    if (error == EEXIST)
                        continue;
                    if (error != 0)
                        dialogs().inform(langText(177) + QStringLiteral("\n\n") + folder + name, QStringLiteral("Tessaron"));
                    else
                        added = name;
                    return;
                }
            });
        }
        step([&] {
            if (added.isEmpty())
                return;
            // Its copy at the board's size is made now, on a thread of its
            // own: the first game with the photo starts as fast as later ones.
            decodeAhead(folder + added, largestBoardPixels());
            File1 = pictureFileNames();
            s.album = 1;
            s.pictureFileIndex = std::max<qsizetype>(0, File1.indexOf(added));
            showCandidate();
        });
    });
}

void PictureChoiceDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    imgBg->setGeometry(rect());
}

void PictureChoiceDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (!adding_ && !droppedPictures(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void PictureChoiceDialog::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedPictures(event->mimeData());
    if (adding_ || paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Added once the drop is over: the file manager that dropped them is not
    // kept waiting while they are checked. Drops until then join them.
    const bool waiting = !dropped_.isEmpty();
    dropped_ << paths;
    if (!waiting)
        QTimer::singleShot(0, this, [this] { addPictures(std::exchange(dropped_, {})); });
}

} // namespace tess
