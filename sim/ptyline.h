// One pseudo-terminal of the virtual transducer: the device's end of a serial line.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <deque>

namespace tarvik::sim {

class PtyLine : public QObject {
    Q_OBJECT
public:
    // `baud` > 0 paces the bytes written as a line of that speed (8N1) would; 0 writes at once.
    explicit PtyLine(int baud, QObject* parent = nullptr);
    ~PtyLine() override;

    // Opens the terminal pair in raw mode. The slave end, which a master program opens by
    // path, is kept open here too, so the line survives masters that come and go.
    bool open(QString* error);
    QString path() const { return path_; }

    // Makes `linkPath` a symlink to the terminal (replacing an older symlink there, never a
    // file); the symlink is removed again when the line is destroyed.
    bool makeLink(const QString& linkPath, QString* error);

    // Queues `bytes` to be sent `pauseMs` after the end of what was queued before.
    void send(const QByteArray& bytes, double pauseMs = 0);
    bool idle() const { return queue_.empty(); }
    // Forgets the queued bytes that have not started to leave; a piece half sent is finished.
    void dropQueued();

    // Bytes sent that no program has read yet. A stream nobody listens to would pile up in
    // the terminal; dropUnread() throws them away, as a real line would have lost them.
    int unreadBytes() const;
    void dropUnread();

signals:
    void received(const QByteArray& bytes);
    // Everything queued has left.
    void drained();

private:
    void readMaster();
    void pump();
    void arm(double ms);
    double now() const { return clock_.nsecsElapsed() / 1e6; }

    struct Piece {
        QByteArray bytes;
        double pauseMs;
    };

    int baud_;
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QString link_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer pumpTimer_;
    QElapsedTimer clock_;
    std::deque<Piece> queue_;
    qsizetype written_ = 0;  // bytes of the front piece written
    double pieceStart_ = -1; // when the front piece's first byte starts, ms; -1 before it is due
    double lineFreeAt_ = 0;  // when the line is free of what went before, ms
};

} // namespace tarvik::sim
