#include "dialogs/PictureChoiceDialog.h"

#include "controls/Accessibility.h"
#include "controls/ImageControl.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "resources/PictureRing.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingDomains.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "sound/Sounds.h"
#include "util/Checked.h"
#include "util/Dialogs.h"
#include "util/Files.h"
#include "util/FileWrite.h"
#include "util/Numbers.h"
#include "util/Paths.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"
#include "util/WindowButtons.h"

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

// One box for all the pictures of an action that could not be written,
// however many they were: how many, and why.
void tellNotAdded(const QList<int>& errors, qsizetype tried, const QString& folder)
{
    if (errors.isEmpty())
        return;
    trapped("frmPicAuswahl", "tellNotAdded", [&](Steps& step) {
        step(50010, [&] {
            QStringList why;
            for (const int error : errors) {
                const QString reason = langText(error == ErrDiskFull ? text::DiskFull : error == ErrPermissionDenied ? text::FolderNotWritable : text::FolderWriteFailed);
                if (!why.contains(reason))
                    why << reason;
            }
            const QString count = langText(text::PicturesNotAdded)
                                      .replace(QStringLiteral("%1"), QString::number(errors.size()))
                                      .replace(QStringLiteral("%2"), QString::number(tried));
            dialogs().inform(count + QStringLiteral("\n\n") + why.join(u'\n') + QStringLiteral("\n\n") + folder,
                             QStringLiteral("Tessaron"));
        });
    });
}

RingPosition position()
{
    const SharedState& s = shared();
    return {s.pictureSource, s.pictureNumber, s.pictureFileIndex};
}

void take(const RingPosition& at)
{
    SharedState& s = shared();
    s.pictureSource = at.pictureSource;
    s.pictureNumber = at.pictureNumber;
    s.pictureFileIndex = at.pictureFileIndex;
}

} // namespace

PictureChoiceDialog::PictureChoiceDialog(QWidget* parent)
    : QDialog(parent)
    , backgroundImage(new ImageControl(this))
    , previewImage(new ImageControl(this))
    , previousButton(new QPushButton(this))
    , nextButton(new QPushButton(this))
    , addButton(new QPushButton(this))
    , okButton(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("Tessaron"));
    setModal(true);
    withoutMaximizeButton(this);
    setAcceptDrops(true);
    // The background picture, behind everything, filling the dialog.
    backgroundImage->setPicture(loadArt(QStringLiteral("choice_background.png")), 0);
    backgroundImage->setFocusPolicy(Qt::NoFocus);
    backgroundImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    backgroundImage->lower();
    previewImage->setFixedSize(PreviewSize);
    previewImage->setCursor(Qt::PointingHandCursor);
    setAccessibleRole(previewImage, QAccessible::Graphic);
    previousButton->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    nextButton->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    okButton->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(previewImage);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previousButton);
    buttons->addWidget(nextButton);
    buttons->addStretch();
    buttons->addWidget(addButton);
    buttons->addWidget(okButton);
    layout->addLayout(buttons);
    connect(previousButton, &QPushButton::clicked, this, &PictureChoiceDialog::showPreviousPicture);
    connect(nextButton, &QPushButton::clicked, this, &PictureChoiceDialog::showNextPicture);
    connect(addButton, &QPushButton::clicked, this, &PictureChoiceDialog::choosePicturesToAdd);
    connect(okButton, &QPushButton::clicked, this, &PictureChoiceDialog::confirmChoice);
    connect(previewImage, &ImageControl::doubleClicked, this, &PictureChoiceDialog::pictureDoubleClicked);
}

void PictureChoiceDialog::load()
{
    SharedState& s = shared();
    had_ = position();
    trapped("frmPicAuswahl", "Form_Load", [&](Steps& step) {
        step(50010, [&] { files_ = pictureFileNames(); });
        step(50020, [&] {
            const QString stored = readSetting(keys::pictureFile);
            for (qsizetype i = 0; i < files_.size(); ++i)
                if (files_.at(i) == stored)
                    s.pictureFileIndex = i;
            if (s.pictureFileIndex >= files_.size())
                s.pictureFileIndex = 0;
        });
        step(50030, [&] {
            if (s.pictureNumber < FirstBuiltInPicture || s.pictureNumber > LastBuiltInPicture)
                s.pictureNumber = FirstBuiltInPicture;
            // A folder without pictures: the ring is the built-ins.
            if (s.pictureSource == PictureSource::File && files_.isEmpty())
                s.pictureSource = PictureSource::BuiltIn;
        });
        step(50040, [&] {
            // Named for screen readers by what they do, as the tips say.
            previousButton->setToolTip(langText(text::PreviousPicture));
            nextButton->setToolTip(langText(text::NextPicture));
            previousButton->setAccessibleName(langText(text::PreviousPicture));
            nextButton->setAccessibleName(langText(text::NextPicture));
            addButton->setText(langText(text::AddPicture));
        });
        step(50050, [&] { showCandidate(); });
        step(50060, [&] { decodeNextAhead(); });
    });
}

QSize PictureChoiceDialog::previewPixels() const
{
    // A photo is decoded no larger than the preview shows it.
    return (QSizeF(PreviewSize) * previewImage->devicePixelRatioF()).toSize();
}

void PictureChoiceDialog::showCandidate()
{
    const SharedState& s = shared();
    // A picture decodes while the window goes on: no drop is taken meanwhile.
    const QScopedValueRollback<bool> busy(adding_, true);
    previewImage->setPicture(QImage(), -1);
    // A screen reader hears what the picture is: its file's name, or the built-in picture's title.
    const bool builtIn = s.pictureSource == PictureSource::BuiltIn && s.pictureNumber >= FirstBuiltInPicture && s.pictureNumber <= LastBuiltInPicture;
    if (s.pictureSource == PictureSource::File) {
        const QString& name = at(files_, s.pictureFileIndex, "File1");
        previewImage->setAccessibleName(name);
        previewImage->setPicture(loadPictureFile(pictureFilePath(name), previewPixels()), -1);
    } else {
        previewImage->setAccessibleName(builtIn ? langText(qint16(text::FirstPictureName + s.pictureNumber - 101)) : QString());
        if (s.pictureSource == PictureSource::BuiltIn)
            previewImage->setPicture(carriedPicture(addInt16(qint16(s.pictureNumber), 100)), -1);
    }
}

void PictureChoiceDialog::decodeNextAhead()
{
    // A camera photo takes longer to decode than a step should; the next one
    // is decoded on a thread of its own while the player looks at this one.
    const SharedState& s = shared();
    const RingPosition at{s.pictureSource, s.pictureNumber, s.pictureFileIndex};
    const RingPosition next = forward_ ? nextInRing(at, files_.size()) : previousInRing(at, files_.size());
    if (next.pictureSource != PictureSource::File || next.pictureFileIndex < 0 || next.pictureFileIndex >= files_.size())
        return;
    decodeAhead(pictureFilePath(files_.at(next.pictureFileIndex)), previewPixels());
}

void PictureChoiceDialog::moveInRing(bool forward, const char* procedure)
{
    trapped("frmPicAuswahl", procedure, [&](Steps& step) {
        step(50010, [&] {
            const RingPosition at = position();
            take(forward ? nextInRing(at, files_.size()) : previousInRing(at, files_.size()));
            forward_ = forward;
        });
        // A picture that cannot be decoded is reported; the ring goes on past it.
        step(50020, [&] { showCandidate(); });
        step(50030, [&] { decodeNextAhead(); });
        step(50040, [&] {
            if (shared().playSounds)
                playSoundEffect(SoundEffect::PictureStep, false);
        });
    });
}

void PictureChoiceDialog::showNextPicture()
{
    moveInRing(true, "cmdNext_Click");
}

void PictureChoiceDialog::showPreviousPicture()
{
    moveInRing(false, "cmdPrev_Click");
}

void PictureChoiceDialog::confirmChoice()
{
    const SharedState& s = shared();
    const SettingsAction action; // the picture's keys go together
    trapped("frmPicAuswahl", "cmdOK_Click", [&](Steps& step) {
        bool refused = false;
        step(50010, [&] {
            // A file put into a picture folder by hand may have a name the
            // settings file cannot give back (blanks at its ends, too long):
            // chosen, it would be lost at every start. The player renames it.
            const QString name = files_.value(s.pictureFileIndex);
            if (s.pictureSource == PictureSource::File && !settingCanHold(name)) {
                refused = true;
                dialogs().inform(langText(text::NameNotStorable) + QStringLiteral("\n\n") + pictureFilePath(name), QStringLiteral("Tessaron"));
            }
        });
        if (refused)
            return;
        step(50020, [&] { saveIntegerSetting(keys::pictureNumber, s.pictureNumber); });
        step(50030, [&] { saveIntegerSetting(keys::pictureSource, pictureSourceNumber(s.pictureSource)); });
        step(50040, [&] {
            // The last file visited is remembered, also when a built-in picture is chosen.
            if (s.pictureFileIndex >= 0 && s.pictureFileIndex < files_.size() && settingCanHold(files_.at(s.pictureFileIndex)))
                saveSetting(keys::pictureFile, files_.at(s.pictureFileIndex));
        });
        step(50050, [&] { accept(); });
    });
}

void PictureChoiceDialog::pictureDoubleClicked()
{
    trapped("frmPicAuswahl", "imgBild_DblClick", [&](Steps& step) { step(50010, [&] { confirmChoice(); }); });
}

void PictureChoiceDialog::choosePicturesToAdd()
{
    trapped("frmPicAuswahl", "cmdAdd_Click", [&](Steps& step) {
        QStringList chosen;
        step(50010, [&] {
            QString title = langText(text::AddPicture);
            while (title.endsWith(u'.'))
                title.chop(1);
            chosen = dialogs().chooseFiles(title, whereToChooseFrom(), PicturePatterns);
        });
        step(50020, [&] { addPictures(chosen); });
    });
}

void PictureChoiceDialog::addPictures(const QStringList& paths)
{
    // The dialog paints on while a picture is checked; no drop is taken meanwhile.
    const QScopedValueRollback<bool> busy(adding_, true);
    SharedState& s = shared();
    const QString folder = playerPicturesFolder();
    qsizetype copied = 0;
    QList<int> notAdded; // the run-time error of each picture that could not be written
    trapped("frmPicAuswahl", "addPictures", [&](Steps& step) {
        QString added;
        // A file that is no picture skips its copy step: the numbers run on.
        int line = 50000;
        for (const QString& path : paths) {
            // Only a picture is copied: one that does not decode is reported
            // as any picture of the ring is, and left where it is.
            QByteArray bytes;
            step(line += 10, [&] {
                // Read once, as a regular file of sane size; decoded small,
                // only to know that it is a picture.
                QByteArray read = readWholeFile(path, MaxPictureFileBytes);
                decodePictureAside(read, path, previewPixels());
                if (isPictureFile(path))
                    bytes = std::move(read);
            });
            if (bytes.isEmpty())
                continue;
            step(line += 10, [&] {
                const QFileInfo from(path);
                if (QDir(from.absolutePath()) == QDir(folder)) {
                    added = from.fileName(); // already the player's
                    return;
                }
                QDir().mkpath(folder);
                ++copied;
                // The bytes checked are the bytes kept (the file may change
                // meanwhile), under a name nobody has: another copy of the
                // game may take one at the same moment, and is never written over.
                // It is written whole to a new file first and only then
                // takes its name: a full disk leaves no half picture behind.
                int error = EEXIST;
                for (int tries = 0; tries < 100 && error == EEXIST; ++tries) {
                    const QString name = freePictureName(from.fileName());
                    error = createFileWhole(folder + name, bytes);
                    if (error == 0)
                        added = name;
                }
                if (error != 0)
                    notAdded << writeErrorNumber(error);
            });
        }
        step(line + 10, [&] {
            if (added.isEmpty())
                return;
            // Its copy at the board's size is made now, on a thread of its
            // own: the first game with the photo starts as fast as later ones.
            decodeAhead(folder + added, largestBoardPixels());
            files_ = pictureFileNames();
            s.pictureSource = PictureSource::File;
            s.pictureFileIndex = std::max<qsizetype>(0, files_.indexOf(added));
            showCandidate();
        });
    });
    // Told once for the whole action, also when the player left it early.
    tellNotAdded(notAdded, copied, folder);
}

void PictureChoiceDialog::done(int result)
{
    if (result != Accepted && had_)
        take(*had_);
    QDialog::done(result);
}

void PictureChoiceDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    backgroundImage->setGeometry(rect());
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
