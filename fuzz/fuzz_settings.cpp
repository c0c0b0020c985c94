// The checked settings reader: whatever the file holds, every number the game
// reads lies in its key's domain, a value reset is written back so that the
// next start reads it without a word, and a picture name the settings say
// they can hold comes back exactly (as does every name an added copy gets).

#include "FuzzSupport.h"
#include "resources/PictureRing.h"
#include "settings/SettingDomains.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    // Nearly every input resets values, and each is written back at once: on
    // a memory file system where there is one, so runs do not wait for a disk.
    static QTemporaryDir memory(QStringLiteral("/dev/shm/tessaron-fuzz-XXXXXX"));
    if (memory.isValid())
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(memory.path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tess;
    const QString path = settingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    forgetResetSettings();
    Profile::forgetUnreadableFiles(); // rewritten within a tick of the file clock: read again

    for (const SettingKey& key : AllSettingKeys)
        if (key.holds && !key.holds(readIntegerSetting(key)))
            __builtin_trap();
    // The next start finds every value in its domain, or none.
    for (const SettingKey& key : AllSettingKeys)
        if (key.holds && hasSetting(key) && !checkedNumber(key.holds, readSetting(key)))
            __builtin_trap();

    // The input's last line as a picture's name.
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).section(u'\n', -1);
    if (settingCanHold(name)) {
        saveSetting(keys::pictureFile, name);
        if (readSetting(keys::pictureFile) != name)
            __builtin_trap();
    }
    if (!name.contains(u'/') && !name.contains(QChar(u'\0')) && !settingCanHold(freePictureName(name)))
        __builtin_trap();
    return 0;
}
