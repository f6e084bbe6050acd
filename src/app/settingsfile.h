// The program's settings file: a plain UTF-8 INI text ("[Соединение]", "Порт=3"), read afresh
// each time a setting is needed and saved at once, atomically, each time one changes.
#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace tarvik {

class Messages;

class SettingsFile {
public:
    // Sections and keys of the file.
    static inline const char* const Connection = "Соединение";
    static inline const char* const Port = "Порт";
    static inline const char* const Speed = "Скорость";
    static inline const char* const Parity = "Паритет";
    static inline const char* const Skins = "Скины";
    static inline const char* const SkinName = "SkinName";
    // Optional: "Comm1" .. "Comm16" mapped to device paths.
    static inline const char* const Ports = "Порты";

    // A file bigger than this is not a settings file of ours.
    static constexpr qint64 MaxSize = 1 << 20;

    // messages, when given, receives the report of a file that cannot be written.
    SettingsFile(QString path, Messages* messages);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const QString& path() const { return path_; }

    // Reads the file as it is on disk now. A missing file is an empty one. False when the file
    // exists but cannot be read or is not a text of ours (not UTF-8, too big, not a file):
    // every read then fails and nothing is written over it.
    bool open();
    bool readable() const { return readable_; }

    // The value of a key: `fallback` when the key is absent or not a whole number; nothing when
    // the file could not be read.
    std::optional<int> readInteger(const char* section, const char* key, int fallback) const;
    std::optional<QString> readString(const char* section, const char* key,
                                      const QString& fallback) const;

    // Sets a key and saves the file (a temporary file in the same folder, then renamed over the
    // old one). A failure is reported once, with the path, until a save succeeds again.
    bool writeInteger(const char* section, const char* key, int value);
    bool writeString(const char* section, const char* key, const QString& value);

private:
    bool save();
    void reportWriteFailure();

    struct Ini;
    QString path_;
    Messages* messages_;
    std::unique_ptr<Ini> ini_;
    bool readable_ = true;
    bool writeFailureReported_ = false;
};

} // namespace tarvik
