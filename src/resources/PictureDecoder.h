#pragma once
// Decodes pictures that come from outside (a host's picture on a joining
// computer) on a thread of its own, one at a time, while the window thread
// goes on. Asked again while one decodes, it keeps only the newest request:
// a sender that sends picture after picture costs one decode at a time and
// never more than two sets of bytes.

#include <QImage>
#include <QObject>

#include <functional>
#include <optional>

class QThread;

namespace tess {

class PictureDecoder : public QObject {
    Q_OBJECT

public:
    PictureDecoder();
    // Waits for a decode that runs (bounded by the limits of every picture).
    ~PictureDecoder() override;

    // Runs `decode` on a thread of its own; its picture comes with
    // decoded(), null when it raised an error or failed otherwise.
    void decode(std::function<QImage()> decode);
    // What is decoding or waiting now comes to nothing.
    void forget();
    bool busy() const;

Q_SIGNALS:
    void decoded(const QImage& picture);

private:
    void start(std::function<QImage()> decode);

    QThread* running_ = nullptr;
    std::optional<std::function<QImage()>> waiting_;
    int round_ = 0; // counts forget(): a decode of an earlier round is not delivered
};

} // namespace tess
