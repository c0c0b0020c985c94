#pragma once
// Gives a test process its own HOME, XDG folders, temporary folder and program
// folder, so no test ever touches the real user's files.

#include "errors/GuardedApplication.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QTest>

namespace tess::test {

// Creates the folders under a fresh temporary root and points the
// environment at them. Call before QApplication is made.
void isolateEnvironment();

// The isolated folders (each ends without "/").
QString rootFolder();
QString homeFolder();
QString configFolder();
QString dataFolder();
QString tempFolder();
QString programFolder();

// Empties the config, data, temporary and program folders between cases.
void clearFolders();

// Writes `bytes` to the file `name` in the temporary folder and gives its path.
QString writeTempFile(const QString& name, const QByteArray& bytes);

} // namespace tess::test

#define TESSARON_TEST_MAIN(TestClass)                  \
    int main(int argc, char* argv[])                   \
    {                                                  \
        tess::test::isolateEnvironment();              \
        tess::GuardedApplication app(argc, argv);      \
        TestClass testObject;                          \
        return QTest::qExec(&testObject, argc, argv);  \
    }

namespace tess::test {

// Makes a file or folder unwritable, even for root (which ignores permission
// bits): the permission bits are cleared and, when that is not enough, the
// immutable attribute is set. Returns false when neither works here.
bool makeUnwritable(const QString& path);
// Undoes makeUnwritable.
void makeWritable(const QString& path);

// While it lives, no file can be opened (the limit of open files is set to
// the handles already open): a file that is there cannot be read, even by
// root, as on a machine that ran out of file handles.
class NoFileHandlesLeft {
public:
    NoFileHandlesLeft();
    ~NoFileHandlesLeft();
    NoFileHandlesLeft(const NoFileHandlesLeft&) = delete;
    NoFileHandlesLeft& operator=(const NoFileHandlesLeft&) = delete;

private:
    unsigned long long soft_ = 0;
};

} // namespace tess::test
