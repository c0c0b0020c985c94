#pragma once
// The picture choice (frmPicAuswahl): one picture at a time, stepped through
// the ring of the built-in pictures, the program's picture folder and the
// player's own; OK, or a double click on the picture, stores the choice;
// closed any other way, it leaves the picture the game had. "Add picture..."
// and picture files dropped on the dialog copy pictures into the player's
// folder.

#include "resources/PictureRing.h"

#include <QDialog>
#include <QStringList>

#include <optional>

class QPushButton;

namespace tess {

class ImageControl;

class PictureChoiceDialog : public QDialog {
    Q_OBJECT

public:
    explicit PictureChoiceDialog(QWidget* parent = nullptr);

    void load();
    void showNextPicture();
    void showPreviousPicture();
    void confirmChoice();
    void pictureDoubleClicked();
    void choosePicturesToAdd();
    // Decodes each file (on a thread of its own) and copies those that
    // decode into the player's picture folder; the last one added becomes
    // the candidate. Dropped files are added just after their drop.
    void addPictures(const QStringList& paths);

    // The picture files of both folders.
    const QStringList& files() const { return files_; }

    ImageControl* backgroundImage;
    ImageControl* previewImage;
    QPushButton* previousButton;
    QPushButton* nextButton;
    QPushButton* addButton;
    QPushButton* okButton;

    // Any ending but OK (Escape, the window's close button) puts back the
    // picture source, number and file index the game had.
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Shows the candidate that the picture source, number and pictureFileIndex name.
    void showCandidate();
    QSize previewPixels() const;
    void moveInRing(bool forward, const char* procedure);
    // Starts decoding the file the next step in the same direction shows.
    void decodeNextAhead();

    QStringList files_;
    std::optional<RingPosition> had_; // the game's picture, known once loaded
    bool forward_ = true;
    bool adding_ = false;
    QStringList dropped_; // waiting to be added
};

} // namespace tess
