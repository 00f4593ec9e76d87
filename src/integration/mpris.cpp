#include "integration/mpris.h"

#include <unistd.h>

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "engine/playback_speed.h"
#include "resources/command_ids.h"

namespace tavimo {
namespace {

constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
constexpr int64_t kFiveSeconds = 50'000'000;                    // 100 ns units
constexpr int64_t kWeek = 7 * 24 * 3600 * int64_t{10'000'000};  // 100 ns units
// A position further than this from where playing would have taken it was
// moved by a seek (100 ns units).
constexpr int64_t kSeekTolerance = 10'000'000;

using Playback = MprisSnapshot::Playback;

QString PlaybackText(Playback playback) {
    switch (playback) {
        case Playback::Playing:
            return QStringLiteral("Playing");
        case Playback::Paused:
            return QStringLiteral("Paused");
        case Playback::Stopped:
            break;
    }
    return QStringLiteral("Stopped");
}

bool IsUrl(const QString& path) {
    return path.contains(QStringLiteral("://"));
}

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// org.mpris.MediaPlayer2: the player as an application.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ Yes)
    Q_PROPERTY(bool CanRaise READ Yes)
    Q_PROPERTY(bool HasTrackList READ No)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
  public:
    explicit MprisRootAdaptor(Mpris* mpris) : QDBusAbstractAdaptor(mpris), mpris_(mpris) {}
    bool Yes() const { return true; }
    bool No() const { return false; }
    QString Identity() const { return QStringLiteral("Tavimo"); }
    QString DesktopEntry() const { return QStringLiteral("tavimo"); }
    QStringList SupportedUriSchemes() const { return {"file", "http", "https", "rtsp"}; }
    QStringList SupportedMimeTypes() const {
        return {"video/mp4",       "video/x-matroska", "video/webm",     "video/x-msvideo",
                "video/quicktime", "video/mpeg",       "video/x-ms-wmv", "video/x-ms-asf",
                "video/x-flv",     "video/ogg",        "video/3gpp",     "video/mp2t",
                "video/x-ogm+ogg", "video/vnd.avi"};
    }

  public slots:
    void Raise() { mpris_->Port().Raise(); }
    void Quit() { mpris_->Post(ID_APP_EXIT); }

  private:
    Mpris* mpris_;
};

// org.mpris.MediaPlayer2.Player: playback, position, volume and the clip.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ HasClip)
    Q_PROPERTY(bool CanGoPrevious READ HasClip)
    Q_PROPERTY(bool CanPlay READ HasClip)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
  public:
    explicit MprisPlayerAdaptor(Mpris* mpris) : QDBusAbstractAdaptor(mpris), mpris_(mpris) {}

    QString PlaybackStatus() const { return PlaybackText(Now().playback); }
    double Rate() const { return Now().rate; }
    // 0 asks for a pause; other rates are held within the range.
    void SetRate(double rate) {
        if (std::isnan(rate)) {
            return;
        }
        if (rate <= 0.0) {
            Pause();
            return;
        }
        mpris_->Port().SetRate(std::clamp(rate, MinimumRate(), MaximumRate()));
    }
    double MinimumRate() const { return kMinimumSpeed; }
    double MaximumRate() const { return kMaximumSpeed; }
    QVariantMap Metadata() const { return mpris_->Metadata(); }
    double Volume() const { return Now().volume / 100.0; }
    void SetVolume(double volume) {
        if (std::isnan(volume)) {
            return;
        }
        mpris_->Port().SetVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
    }
    qlonglong Position() const { return Now().position / 10; }
    bool HasClip() const { return !Now().clipPath.empty(); }
    bool CanPause() const { return Now().canPause; }
    bool CanSeek() const { return Now().canSeek; }
    bool CanControl() const { return true; }

  public slots:
    void Next() { mpris_->Post(ID_NEXT_FILE); }
    void Previous() { mpris_->Post(ID_PREVIOUS_FILE); }
    void Pause() {
        if (Now().playback == Playback::Playing) {
            mpris_->Post(ID_PAUSE);
        }
    }
    void PlayPause() {
        const MprisSnapshot now = Now();
        if (now.playback == Playback::Playing) {
            mpris_->Post(ID_PAUSE);
        } else if (now.playback == Playback::Paused || !now.clipPath.empty()) {
            mpris_->Post(ID_PLAY);
        }
    }
    void Stop() { mpris_->Post(ID_STOP); }
    void Play() {
        const MprisSnapshot now = Now();
        if (now.playback != Playback::Playing && !now.clipPath.empty()) {
            mpris_->Post(ID_PLAY);
        }
    }
    // `offset` in microseconds from the current position.
    void Seek(qlonglong offset) {
        const MprisSnapshot now = Now();
        if (!now.canSeek) {
            return;
        }
        // Limited while still in microseconds to just past either end of the
        // clip (a week ahead when its length is not known).
        const int64_t ahead =
            now.duration > 0 ? std::max<int64_t>(now.duration - now.position, 0) : kWeek;
        const int64_t delta = UnitsWithin(offset, -now.position - 10, ahead + 10);
        const int64_t target = now.position + delta;
        if (target < 0) {
            mpris_->Port().SeekTo(0);
            mpris_->AnnounceSeek(0);
        } else if (now.duration > 0 && target > now.duration) {
            mpris_->Post(ID_NEXT_FILE);  // past the end: as Next
        } else if (delta == kFiveSeconds || delta == -kFiveSeconds) {
            mpris_->Post(delta > 0 ? ID_SEEK_FORWARD : ID_SEEK_BACK);
        } else {
            mpris_->Port().SeekBy(delta);
            mpris_->AnnounceSeek(target);
        }
    }
    // `position` in microseconds, on the clip `trackId` names.
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
        const MprisSnapshot now = Now();
        if (!now.canSeek || trackId.path() != mpris_->TrackId() || position < 0 ||
            position > now.duration / 10) {
            return;
        }
        const int64_t target = int64_t{position} * 10;
        mpris_->Port().SeekTo(target);
        mpris_->AnnounceSeek(target);
    }
    void OpenUri(const QString& uri) {
        if (uri.trimmed().isEmpty())
            return;  // opened as a file without a name, it asked for one in a dialog
        // Answered first: opening may show a box.
        QMetaObject::invokeMethod(
            mpris_, [mpris = mpris_, uri] { mpris->Port().Open(uri); }, Qt::QueuedConnection);
    }

  signals:
    void Seeked(qlonglong Position);

  private:
    MprisSnapshot Now() const { return mpris_->Port().Snapshot(); }
    // A client's microseconds, first limited to `low`..`high` (100 ns
    // units), so that nothing can overflow, then in 100 ns units.
    static int64_t UnitsWithin(qlonglong us, int64_t low, int64_t high) {
        return std::clamp<int64_t>(us, low / 10, high / 10) * 10;
    }

    Mpris* mpris_;
};

Mpris::Mpris(MprisPort& port, QObject* parent) : QObject(parent), port_(port) {
    new MprisRootAdaptor(this);
    player_ = new MprisPlayerAdaptor(this);
}

Mpris::~Mpris() = default;

bool Mpris::Start(bool replacing) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.registerObject(kObjectPath, this)) {
        return false;
    }
    if (bus.registerService(kBusName)) {
        busName_ = kBusName;
    } else {
        busName_ = QString("%1.instance%2").arg(kBusName).arg(getpid());
        if (!bus.registerService(busName_)) {
            bus.unregisterObject(kObjectPath);
            busName_.clear();
            return false;
        }
        if (replacing) {
            watcher_ = new QDBusServiceWatcher(kBusName, bus,
                                               QDBusServiceWatcher::WatchForUnregistration, this);
            connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                    &Mpris::TakePlainName);
        }
    }
    last_ = port_.Snapshot();
    lastClock_ = NowMs();
    started_ = true;
    return true;
}

// The instance this start replaced has gone: its name becomes ours.
void Mpris::TakePlainName() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.registerService(kBusName)) {
        bus.unregisterService(busName_);
        busName_ = kBusName;
        watcher_->deleteLater();
        watcher_ = nullptr;
    }
}

QString Mpris::TrackId() const {
    const MprisSnapshot now = port_.Snapshot();
    if (now.clipPath.empty()) {
        return kNoTrack;
    }
    if (now.clipPath != trackPath_) {
        ++track_;
        trackPath_ = now.clipPath;
    }
    return QString("/org/mpris/MediaPlayer2/tavimo/track/%1").arg(track_);
}

QVariantMap Mpris::Metadata() const {
    const MprisSnapshot now = port_.Snapshot();
    QVariantMap map;
    map.insert("mpris:trackid", QVariant::fromValue(QDBusObjectPath(TrackId())));
    if (now.clipPath.empty()) {
        return map;
    }
    const QString path = QString::fromStdString(now.clipPath);
    if (now.duration > 0) {
        map.insert("mpris:length", qlonglong{now.duration / 10});
    }
    if (IsUrl(path)) {
        const QString name = QUrl(path).fileName();
        map.insert("xesam:title", name.isEmpty() ? path : name);
        map.insert("xesam:url", path);
    } else {
        map.insert("xesam:title", QFileInfo(path).fileName());
        // From the path's bytes: a name that is not UTF-8 keeps its bytes.
        const QByteArray bytes = QByteArray::fromStdString(now.clipPath);
        map.insert("xesam:url", "file://" + QString::fromLatin1(bytes.toPercentEncoding("/")));
    }
    return map;
}

void Mpris::Post(int id) {
    QMetaObject::invokeMethod(
        this, [this, id] { port_.Command(id); }, Qt::QueuedConnection);
}

void Mpris::AnnounceSeek(int64_t position) {
    last_.position = position;
    lastClock_ = NowMs();
    if (started_) {
        emit player_->Seeked(position / 10);
    }
}

void Mpris::Sync() {
    if (!started_) {
        return;
    }
    const MprisSnapshot now = port_.Snapshot();
    const int64_t clock = NowMs();
    const bool newClip = now.clipPath != last_.clipPath;
    QVariantMap changed;
    if (now.playback != last_.playback) {
        changed.insert("PlaybackStatus", PlaybackText(now.playback));
    }
    if (newClip || now.duration != last_.duration) {
        changed.insert("Metadata", Metadata());
    }
    if (now.volume != last_.volume) {
        changed.insert("Volume", now.volume / 100.0);
    }
    if (now.rate != last_.rate) {
        changed.insert("Rate", now.rate);
    }
    if (newClip && now.clipPath.empty() != last_.clipPath.empty()) {
        const bool hasClip = !now.clipPath.empty();
        changed.insert("CanPlay", hasClip);
        changed.insert("CanGoNext", hasClip);
        changed.insert("CanGoPrevious", hasClip);
    }
    if (now.canPause != last_.canPause) {
        changed.insert("CanPause", now.canPause);
    }
    if (now.canSeek != last_.canSeek) {
        changed.insert("CanSeek", now.canSeek);
    }
    if (!changed.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
        signal << QString(kPlayerInterface) << changed << QStringList();
        QDBusConnection::sessionBus().send(signal);
    }
    // A jump of the position that playing does not explain was a seek (a
    // seek key, the seek bar, a rewind at the end of the clip).
    if (!newClip && now.canSeek && now.playback == last_.playback &&
        now.playback != Playback::Stopped) {
        // Played at the speed held since the last look (a change of speed
        // brings the bus up to date at once).
        const int64_t played =
            now.playback == Playback::Playing
                ? static_cast<int64_t>(static_cast<double>(clock - lastClock_) * 10'000 * now.rate)
                : 0;
        if (std::llabs(now.position - (last_.position + played)) > kSeekTolerance) {
            emit player_->Seeked(now.position / 10);
        }
    }
    last_ = now;
    lastClock_ = clock;
}

}  // namespace tavimo

#include "mpris.moc"
