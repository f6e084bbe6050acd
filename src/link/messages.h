// The program's message boxes behind one seam: the program shows real boxes, tests record.
#pragma once

#include <QString>
#include <QStringList>

namespace tarvik {

class Messages {
public:
    virtual ~Messages() = default;
    // A box without caption and with one OK button.
    virtual void plain(const QString& text) = 0;
    // The standard information box with the application title as caption.
    virtual void information(const QString& text) = 0;
    // The standard error display (a conversion error of an edit text, an escaping error).
    virtual void error(const QString& text) = 0;
};

// Collects the texts instead of showing them.
class RecordingMessages : public Messages {
public:
    struct Entry {
        enum Kind { Plain, Information, Error } kind;
        QString text;
    };
    void plain(const QString& text) override { entries.append({Entry::Plain, text}); }
    void information(const QString& text) override { entries.append({Entry::Information, text}); }
    void error(const QString& text) override { entries.append({Entry::Error, text}); }

    QStringList texts() const {
        QStringList out;
        for (const auto& e : entries)
            out << e.text;
        return out;
    }
    void clear() { entries.clear(); }
    QList<Entry> entries;
};

} // namespace tarvik
