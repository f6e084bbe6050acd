// Runs the virtual transducer for an end-to-end test and tells where its ports are.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tarvik {

class SimProcess {
public:
    // Starts the simulator with the given options and waits until it has printed its ports.
    // On failure, error() says why.
    bool start(const QString& program, const QStringList& options, int timeoutMs = 5000) {
        process_.setProgram(program);
        process_.setArguments(options);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(timeoutMs)) {
            error_ = QStringLiteral("cannot start %1: %2").arg(program, process_.errorString());
            return false;
        }
        const bool wantInfo = options.contains(QStringLiteral("--info"));
        QByteArray out;
        while (modbus_.isEmpty() || (wantInfo && info_.isEmpty())) {
            if (!process_.waitForReadyRead(timeoutMs)) {
                error_ = QStringLiteral("no port line from the simulator; stderr: %1")
                             .arg(QString::fromLocal8Bit(process_.readAllStandardError()));
                return false;
            }
            out += process_.readAllStandardOutput();
            for (const QByteArray& line : out.split('\n')) {
                if (line.startsWith("modbus: "))
                    modbus_ = QString::fromLocal8Bit(line.mid(8).trimmed());
                if (line.startsWith("info: "))
                    info_ = QString::fromLocal8Bit(line.mid(6).trimmed());
            }
        }
        return true;
    }

    ~SimProcess() { stop(); }

    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(2000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    qint64 pid() const { return process_.processId(); }
    QString modbusPath() const { return modbus_; }
    QString infoPath() const { return info_; }
    QString error() const { return error_; }

private:
    QProcess process_;
    QString modbus_;
    QString info_;
    QString error_;
};

} // namespace tarvik
