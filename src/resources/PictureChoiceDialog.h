#pragma once
// The picture choice (frmPicAuswahl): one picture at a time, stepped through
// the ring of the built-in pictures and the picture folder; OK, or a double
// click on the picture, stores the choice. There is no cancel.

#include <QDialog>
#include <QStringList>

class QPushButton;

namespace tess {

class ImageControl;

class PictureChoiceDialog : public QDialog {
    Q_OBJECT

public:
    explicit PictureChoiceDialog(QWidget* parent = nullptr);

    void Form_Load();
    void cmdNext_Click();
    void cmdPrev_Click();
    void cmdOK_Click();
    void imgBild_DblClick();

    // The folder's picture files (File1).
    const QStringList& files() const { return File1; }

    ImageControl* imgBild;
    QPushButton* cmdPrev;
    QPushButton* cmdNext;
    QPushButton* cmdOK;

private:
    // Shows the candidate that Album, Picture and PicFileIndex name.
    void showCandidate();
    void step(bool forward, const char* procedure);

    QStringList File1;
    QString folder_;
};

} // namespace tess
