// MPRIS 2: the desktop's media keys, sound menus and `playerctl` reach the
// player through the session bus, by the same commands as the keyboard.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <string>

class QDBusServiceWatcher;

namespace tavimo {

class MprisPlayerAdaptor;

// What the bus may know of the player at one moment.
struct MprisSnapshot {
    enum class Playback { Stopped, Paused, Playing };
    Playback playback = Playback::Stopped;
    std::string clipPath;  // empty: no clip
    int64_t duration = 0;  // 100 ns units
    int64_t position = 0;  // 100 ns units
    int volume = 100;      // 0..100
    double rate = 1.0;     // playback speed, 1 normal
    bool canPause = false;
    bool canSeek = false;
};

// The player as the bus service drives it. Every call on the UI thread.
class MprisPort {
  public:
    virtual ~MprisPort() = default;
    virtual MprisSnapshot Snapshot() = 0;
    // A command of the command table, exactly as a key or menu item gives it.
    virtual void Command(int id) = 0;
    // The volume slider moved to `volume` (0..100).
    virtual void SetVolume(int volume) = 0;
    // The seek bar was set to `position` (100 ns units).
    virtual void SeekTo(int64_t position) = 0;
    // A relative seek by `offset` (100 ns units), as the five-second keys do.
    virtual void SeekBy(int64_t offset) = 0;
    // Plays at `rate` (within MinimumRate..MaximumRate), as ] and [ would; a
    // port that plays at one speed only leaves it.
    virtual void SetRate(double) {}
    // Brings the main window to the front.
    virtual void Raise() = 0;
    // Opens `uri` as a file dropped on the window would be opened.
    virtual void Open(const QString& uri) = 0;
};

// The org.mpris.MediaPlayer2 object at /org/mpris/MediaPlayer2 with its
// root and Player interfaces. UI thread.
class Mpris : public QObject {
    Q_OBJECT
  public:
    static constexpr char kBusName[] = "org.mpris.MediaPlayer2.tavimo";

    explicit Mpris(MprisPort& port, QObject* parent = nullptr);
    ~Mpris() override;

    // Takes the bus name: `kBusName`, or, when another player holds it,
    // `kBusName` + ".instance<pid>". `replacing`: this start asked the other
    // instances to close, so the plain name is taken over once its holder has
    // gone. False without a session bus (and nothing is said).
    bool Start(bool replacing);
    // The bus name held; empty before Start() or without a bus.
    const QString& BusName() const { return busName_; }

    // Compares the player with what the bus was last told and sends
    // PropertiesChanged and Seeked for what changed. Cheap; call often.
    void Sync();

    // --- for the interfaces ---
    MprisPort& Port() { return port_; }
    const MprisSnapshot& Last() const { return last_; }
    // The object path naming the current clip (NoTrack without one); a clip
    // other than the last one named gets the next number.
    QString TrackId() const;
    QVariantMap Metadata() const;
    // Queues `id` for the command table once the bus call has been answered
    // (a command may open a dialog).
    void Post(int id);
    // The bus's Seeked signal, at `position` (100 ns units).
    void AnnounceSeek(int64_t position);

  private:
    void TakePlainName();

    MprisPort& port_;
    MprisPlayerAdaptor* player_ = nullptr;
    QString busName_;
    QDBusServiceWatcher* watcher_ = nullptr;
    MprisSnapshot last_;     // what the bus was last told
    int64_t lastClock_ = 0;  // ms (monotonic), when `last_` was taken
    mutable int track_ = 0;  // counts the clips seen, for the track ids
    mutable std::string trackPath_;
    bool started_ = false;
};

}  // namespace tavimo
