#pragma once
// A real small file system for tests of full disks: a tmpfs mounted over a
// folder in a mount namespace of the test's own (so it goes with the test,
// whatever happens), and filled to the last byte when asked. Needs root (the
// tests run as root in CI); elsewhere `mounted()` is false and the test skips.

#include <QString>

namespace tess::test {

class SmallDisk {
public:
    // Mounts a tmpfs of `kilobytes` over `folder` (made if missing).
    SmallDisk(const QString& folder, int kilobytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Why it could not be mounted, for the skip message.
    const QString& reason() const { return reason_; }
    // Fills the disk with a file of its own until no byte is left.
    void fill();
    // Removes that file again.
    void free();
    // Mounts the disk again read-only: every write fails as on a read-only medium.
    bool makeReadOnly();

private:
    QString folder_;
    bool mounted_ = false;
    QString reason_;
};

} // namespace tess::test
