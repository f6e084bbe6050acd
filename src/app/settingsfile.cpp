#include "settingsfile.h"

#include "convert.h"
#include "messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

// The settings text is UTF-8 and stays as it is: no conversion, header-only use of the library.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <string>

namespace tarvik {

struct SettingsFile::Ini {
    CSimpleIniA data{true /* UTF-8 */, false /* one value per key */, false};
};

SettingsFile::SettingsFile(QString path, Messages* messages)
    : path_(std::move(path)), messages_(messages), ini_(std::make_unique<Ini>()) {
    ini_->data.SetSpaces(false); // "Порт=3", the way INI files are usually written
}

SettingsFile::~SettingsFile() = default;

namespace {

bool isUtf8Text(const QByteArray& bytes) {
    if (bytes.contains('\0')) return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

bool SettingsFile::open() {
    ini_->data.Reset();
    readable_ = true;
    const QFileInfo info(path_);
    if (!info.exists()) return true; // no settings yet: every key takes its default
    QFile file(path_);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        readable_ = false;
        return false;
    }
    const QByteArray bytes = file.read(MaxSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > MaxSize || !isUtf8Text(bytes) ||
        ini_->data.LoadData(bytes.constData(), size_t(bytes.size())) < 0) {
        ini_->data.Reset();
        readable_ = false;
        return false;
    }
    return true;
}

std::optional<int> SettingsFile::readInteger(const char* section, const char* key,
                                             int fallback) const {
    if (!readable_) return std::nullopt;
    const char* text = ini_->data.GetValue(section, key, nullptr);
    if (!text) return fallback;
    return StrToInt(QString::fromUtf8(text)).value_or(fallback);
}

std::optional<QString> SettingsFile::readString(const char* section, const char* key,
                                                const QString& fallback) const {
    if (!readable_) return std::nullopt;
    const char* text = ini_->data.GetValue(section, key, nullptr);
    return text ? QString::fromUtf8(text) : fallback;
}

bool SettingsFile::writeInteger(const char* section, const char* key, int value) {
    return writeString(section, key, QString::number(value));
}

bool SettingsFile::writeString(const char* section, const char* key, const QString& value) {
    // A file we could not read is never replaced by the few keys we know.
    if (!readable_) {
        reportWriteFailure();
        return false;
    }
    ini_->data.SetValue(section, key, value.toUtf8().constData());
    return save();
}

bool SettingsFile::save() {
    std::string text;
    const QFileInfo info(path_);
    bool ok = ini_->data.Save(text, false) >= 0 && QDir().mkpath(info.absolutePath()) &&
              (!info.exists() || info.isWritable());
    if (ok) {
        QSaveFile file(path_);
        ok = file.open(QIODevice::WriteOnly) &&
             file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit();
    }
    if (!ok) {
        reportWriteFailure();
        return false;
    }
    writeFailureReported_ = false;
    return true;
}

void SettingsFile::reportWriteFailure() {
    if (writeFailureReported_ || !messages_) return;
    writeFailureReported_ = true;
    messages_->plain(QStringLiteral("Не удалось сохранить настройки в файл\n%1")
                         .arg(QDir::toNativeSeparators(path_)));
}

} // namespace tarvik
