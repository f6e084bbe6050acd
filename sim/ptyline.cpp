#include "ptyline.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tarvik::sim {

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PtyLine::PtyLine(int baud, QObject* parent) : QObject(parent), baud_(baud) {
    pumpTimer_.setSingleShot(true);
    pumpTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pumpTimer_, &QTimer::timeout, this, &PtyLine::pump);
    clock_.start();
}

PtyLine::~PtyLine() {
    if (!link_.isEmpty() && QFileInfo(link_).symLinkTarget() == path_) QFile::remove(link_);
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

bool PtyLine::open(QString* error) {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        *error = QStringLiteral("cannot open a pseudo-terminal: ") + systemError();
        return false;
    }
    path_ = QString::fromLocal8Bit(::ttyname(slave_));
    // Raw from the start: no echo, no line editing, no character translation. A master may
    // change the settings later; speed, parity and the like mean nothing on a pseudo-terminal.
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyLine::readMaster);
    return true;
}

bool PtyLine::makeLink(const QString& linkPath, QString* error) {
    const QFileInfo info(linkPath);
    if (info.isSymLink()) {
        QFile::remove(linkPath);
    } else if (info.exists()) {
        *error = QStringLiteral("%1 exists and is not a symlink; not replaced").arg(linkPath);
        return false;
    }
    if (::symlink(path_.toLocal8Bit().constData(), linkPath.toLocal8Bit().constData()) != 0) {
        *error = QStringLiteral("cannot make the symlink %1: %2").arg(linkPath, systemError());
        return false;
    }
    link_ = QFileInfo(linkPath).absoluteFilePath();
    return true;
}

void PtyLine::readMaster() {
    QByteArray bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break; // EAGAIN: all read
    }
    if (!bytes.isEmpty()) emit received(bytes);
}

void PtyLine::send(const QByteArray& bytes, double pauseMs) {
    queue_.push_back({bytes, pauseMs});
    if (!pumpTimer_.isActive()) pump();
}

void PtyLine::dropQueued() {
    const bool started = !queue_.empty() && pieceStart_ >= 0 && written_ > 0;
    while (queue_.size() > (started ? 1u : 0u))
        queue_.pop_back();
    if (!started) {
        pieceStart_ = -1;
        pumpTimer_.stop();
    }
}

void PtyLine::arm(double ms) {
    pumpTimer_.start(std::max(0, static_cast<int>(std::ceil(ms))));
}

void PtyLine::pump() {
    bool sentSomething = false;
    while (!queue_.empty()) {
        const Piece& piece = queue_.front();
        const double t = now();
        if (pieceStart_ < 0) pieceStart_ = std::max(t, lineFreeAt_) + piece.pauseMs;
        if (t < pieceStart_) return arm(pieceStart_ - t);

        // On a paced line byte j has arrived (stop bit included) at start + (j + 1) byte times.
        const double byteMs = baud_ > 0 ? 10000.0 / baud_ : 0;
        const qsizetype size = piece.bytes.size();
        const qsizetype due =
            baud_ > 0 ? std::min(size, static_cast<qsizetype>((t - pieceStart_) / byteMs)) : size;
        while (written_ < due) {
            const ssize_t n = ::write(master_, piece.bytes.constData() + written_, due - written_);
            if (n >= 0) {
                written_ += n;
            } else if (errno == EAGAIN) {
                return arm(5); // the terminal is full; try again shortly
            } else if (errno != EINTR) {
                written_ = size; // the line is gone: the piece is lost, as on a real line
            }
        }
        if (written_ < size)
            return arm(pieceStart_ + static_cast<double>(written_ + 1) * byteMs - t);

        lineFreeAt_ = baud_ > 0 ? pieceStart_ + static_cast<double>(size) * byteMs : t;
        queue_.pop_front();
        written_ = 0;
        pieceStart_ = -1;
        sentSomething = true;
    }
    if (sentSomething) emit drained();
}

int PtyLine::unreadBytes() const {
    int n = 0;
    return ::ioctl(slave_, FIONREAD, &n) == 0 ? n : 0;
}

void PtyLine::dropUnread() {
    ::tcflush(slave_, TCIFLUSH);
}

} // namespace tarvik::sim
