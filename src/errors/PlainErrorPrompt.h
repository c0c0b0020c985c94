#pragma once
// A plain modal message box with the reporter's four answers.

#include "errors/ErrorReporter.h"

namespace tess {

class PlainErrorPrompt : public ErrorPrompt {
public:
    void resetMousePointer() override;
    void beep() override;
    qint16 ask(const ProtocolData& shown) override;

    // The captions of the four continue buttons, answer 0 to 3.
    static QString continueCaption(int answer);
};

} // namespace tess
