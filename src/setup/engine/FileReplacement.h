#pragma once
// A host file written so that the file it replaces is never lost: the bytes go to a file of the
// installer's own in the target's folder ("tvsetup-" and six characters, ".tmp": short, so any
// target name leaves room for it), which takes the target's place only once it is whole and on
// disk. A failure removes that file and leaves the target as it was.

#include <QByteArrayView>
#include <QString>

namespace setup {

class FileReplacement {
public:
    // Creates the temporary file, with the mode of any newly created file (never the target's).
    explicit FileReplacement(const QString& hostTarget);
    // A temporary file not yet in the target's place is removed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // All of `bytes` or, on a failure, none of them.
    bool write(QByteArrayView bytes);
    // Flushes what was written to disk and puts the file in the target's place; later writes go
    // on to the target. False when any of that fails: the temporary file is then gone.
    bool commit();

    // The whole of a file at once: true when the target holds exactly `bytes`.
    static bool replace(const QString& hostTarget, QByteArrayView bytes);

private:
    void discard();

    QByteArray target_;
    QByteArray temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace setup
