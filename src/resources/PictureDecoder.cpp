#include "resources/PictureDecoder.h"

#include <QThread>

#include <exception>
#include <memory>

namespace tess {

PictureDecoder::PictureDecoder() = default;

PictureDecoder::~PictureDecoder()
{
    if (running_) {
        running_->disconnect(this);
        running_->wait();
        delete running_;
    }
}

void PictureDecoder::decode(std::function<QImage()> decode)
{
    if (running_)
        waiting_ = std::move(decode); // an older one waiting is never decoded
    else
        start(std::move(decode));
}

void PictureDecoder::forget()
{
    ++round_;
    waiting_.reset();
}

bool PictureDecoder::busy() const
{
    return running_ != nullptr || waiting_.has_value();
}

void PictureDecoder::start(std::function<QImage()> decode)
{
    auto picture = std::make_shared<QImage>();
    running_ = QThread::create([decode = std::move(decode), picture] {
        try {
            *picture = decode();
        } catch (...) {
            // Whatever the bytes were, they are no picture: null.
        }
    });
    connect(running_, &QThread::finished, this, [this, picture, round = round_] {
        running_->deleteLater();
        running_ = nullptr;
        if (round == round_)
            Q_EMIT decoded(*picture);
        if (waiting_ && !running_) {
            std::function<QImage()> next = std::move(*waiting_);
            waiting_.reset();
            start(std::move(next));
        }
    });
    running_->start();
}

} // namespace tess
