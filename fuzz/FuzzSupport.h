#pragma once
// What every fuzz target shares: a headless application, a private scratch
// folder, and quiet stand-ins for the message boxes and the error reporter,
// so that a damaged input ends in the game's own handling and nowhere else.

#include "errors/ErrorReporter.h"
#include "util/Dialogs.h"

#include <QByteArray>
#include <QString>

namespace tess::fuzz {

// Creates the application and the scratch folder once; call from LLVMFuzzerInitialize.
void setUp(int* argc, char*** argv);

// A file in the scratch folder holding `bytes`.
QString writeScratch(const QString& name, const uint8_t* data, size_t size);

} // namespace tess::fuzz
