// The window program's line to WSJT-X: a UDP socket on WSJT-X's server port
// (loopback only unless the user allows other hosts, unicast or a multicast
// group), the instance last heard, and the request that sets its DX call and
// grid. One link per program, a child of the main window, found by every
// window that needs it.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "wsjtx/wsjtx_codec.h"

class QSettings;
class QUdpSocket;
class QWidget;

namespace kelvora::gui {

class WsjtxLink : public QObject {
  Q_OBJECT
 public:
  struct Options {
    int port = wsjtx::kDefaultPort;
    QString group;  // IPv4 multicast group; empty for unicast
    bool allowOtherHosts = false;
  };

  // The link of the program `widget` belongs to (kept by its outermost
  // window), made on first use and listening as the settings say.
  static WsjtxLink* Of(QWidget* widget);

  // `store`: where the options live (the "wsjtx" group); the station-control
  // store when not given.
  explicit WsjtxLink(QObject* parent, std::unique_ptr<QSettings> store = {});
  ~WsjtxLink() override;

  const Options& options() const { return options_; }
  // Listens as `options` say and keeps them in the store. False, with the
  // reason in LinkText(), for a bad group or a port that cannot be had.
  bool Listen(const Options& options);
  bool Listening() const;
  int Port() const;

  // "listening on 127.0.0.1:2237, nothing heard", "WSJT-X at
  // 127.0.0.1:54229", "cannot listen on ...".
  QString LinkText() const;
  const std::optional<wsjtx::Status>& LastStatus() const { return lastStatus_; }
  std::uint64_t Ignored() const { return ignored_; }

  // Sets the DX call and grid of the instance last heard, or of the next one
  // heard. Returns what happened, for the user; a bad call or grid is
  // refused with the reason.
  QString SendDx(const QString& call, const QString& grid);

 signals:
  void statusReceived(const kelvora::wsjtx::Status& status);
  void instanceClosed(const QString& id);
  void changed();

 private:
  struct Instance {
    std::string id;
    QHostAddress address;
    quint16 port = 0;
    std::uint32_t schema = wsjtx::kDefaultSchema;
    bool fastMode = false;
    bool closed = false;
  };

  bool StartListening(const Options& options);
  void ReadPending();
  bool SendTo(const Instance& instance, wsjtx::Configure request);
  void SaveOptions();

  std::unique_ptr<QSettings> store_;
  Options options_;
  QUdpSocket* socket_ = nullptr;
  QString problem_;
  QString refused_;  // why the last unreadable datagram was refused
  std::optional<Instance> instance_;
  std::optional<wsjtx::Configure> pending_;
  std::optional<wsjtx::Status> lastStatus_;
  std::uint64_t ignored_ = 0;
};

// "Send to WSJT-X" for any window: the call (may be empty: WSJT-X keeps its
// own) and the grid through the program's link. Returns what happened.
QString SendDxRequest(QWidget* from, const QString& call, const QString& grid);

}  // namespace kelvora::gui
