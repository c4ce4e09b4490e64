#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace vz {

// The settings record, read once at start-up from settings.ini in the data folder.
struct Settings {
    static constexpr int kDefaultBlock = 4;

    int port = 0;              // [com] port: saved COM number, 0 = none
    int block = kDefaultBlock; // [com] block: bytes per transfer block, as the file gives it
    int ball = 5;              // [adv] ball: ball time in time steps
    int maxbox = 50;           // [adv] maxbox: highest box number offered (1..255)
    int newBoxmode = 0;        // [misc] new_boxmode: 1 = box number from the list, 0 = 30 + count
    int box = 1;               // [df] box: configured box number of the fire frames
    QString lastProject;       // [last_project] filename
    QString language = QStringLiteral("english"); // [languagefiles] active

    // The block size a transfer works with: below 1, which would divide by zero, the default.
    static int usableBlock(int block) { return block < 1 ? kDefaultBlock : block; }
    int effectiveBlock() const { return usableBlock(block); }
};

class SettingsFile {
public:
    static QString fileName() { return QStringLiteral("settings.ini"); }
    static QString pathIn(const QString& dataDir);

    static constexpr int kMaxboxLimit = 255;

    static constexpr int kMinBox = 1;
    static constexpr int kMaxBox = 255;

    struct LoadResult {
        Settings settings;
        // false: the file is missing or unreadable, every value is its default; the caller
        // shows the message.
        bool fileFound = false;
        // Values that reach a frame but lie outside their range, e.g. "[df] box=300 (1..255)":
        // each was refused and its default taken. The caller says so once.
        QStringList refused;
    };
    // Reads every key with its default (a missing or non-numeric value reads as the
    // default); maxbox above 255 becomes 255, below 1 becomes 1.
    static LoadResult load(const QString& path);
    static int clampMaxbox(int maxbox);

    // Every key with its default, for the first start in a new data folder.
    static bool writeDefaults(const QString& path);

    // Write one key; every other key and line of the file stays. False when the file could
    // not be written; it is then as it was before.
    static bool writePort(const QString& path, int port);
    static bool writeBall(const QString& path, int ball);
    static bool writeBoxmode(const QString& path, int boxmode);
    static bool writeLastProject(const QString& path, const QString& fileName);
    static bool writeLanguage(const QString& path, const QString& name);

    // Hears the outcome of every write above, whoever made it: the writers sit in several
    // windows, and the main window tells the operator when the settings cannot be kept.
    // One observer at a time; removing it takes effect only for the owner that set it.
    using WriteObserver = std::function<void(const QString& path, bool written)>;
    static void setWriteObserver(const void* owner, WriteObserver observer);
    static void removeWriteObserver(const void* owner);
};

} // namespace vz
