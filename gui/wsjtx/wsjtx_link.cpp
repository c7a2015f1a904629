#include "wsjtx/wsjtx_link.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QSettings>
#include <QUdpSocket>
#include <QWidget>

#include <span>
#include <utility>
#include <variant>

#include "station/station_settings.h"
#include "wsjtx/udp_socket.h"
#include "wsjtx/wsjtx_follower.h"

namespace kelvora::gui {

namespace {

constexpr const char* kGroup = "wsjtx";
constexpr const char* kPortKey = "port";
constexpr const char* kGroupKey = "group";
constexpr const char* kOthersKey = "allowOtherHosts";

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString Endpoint(const QHostAddress& address, quint16 port) {
  return address.toString() + QLatin1Char(':') + QString::number(port);
}

}  // namespace

WsjtxLink* WsjtxLink::Of(QWidget* widget) {
  QObject* top = widget;
  while (top->parent() != nullptr) top = top->parent();
  if (auto* link = top->findChild<WsjtxLink*>(QString(), Qt::FindDirectChildrenOnly)) return link;
  return new WsjtxLink(top);
}

WsjtxLink::WsjtxLink(QObject* parent, std::unique_ptr<QSettings> store)
    : QObject(parent), store_(store ? std::move(store) : OpenStationSettings()) {
  setObjectName(QStringLiteral("wsjtxLink"));
  // Stored values that are missing or refused give the defaults.
  store_->beginGroup(QString::fromLatin1(kGroup));
  bool ok = false;
  Options options;
  const int port = store_->value(kPortKey).toInt(&ok);
  if (ok && port >= 1 && port <= 65535) options.port = port;
  const QString group = store_->value(kGroupKey).toString().trimmed();
  if (!group.isEmpty() && wsjtx::CheckMulticastGroup(group.toStdString()).ok()) {
    options.group = group;
  }
  options.allowOtherHosts = store_->value(kOthersKey, false).toBool();
  store_->endGroup();
  StartListening(options);
}

WsjtxLink::~WsjtxLink() = default;

void WsjtxLink::SaveOptions() {
  store_->beginGroup(QString::fromLatin1(kGroup));
  store_->setValue(kPortKey, options_.port);
  store_->setValue(kGroupKey, options_.group);
  store_->setValue(kOthersKey, options_.allowOtherHosts);
  store_->endGroup();
}

bool WsjtxLink::Listen(const Options& options) {
  const bool listening = StartListening(options);
  SaveOptions();
  return listening;
}

bool WsjtxLink::StartListening(const Options& options) {
  delete socket_;
  socket_ = nullptr;
  instance_.reset();
  problem_.clear();
  options_ = options;
  const auto fail = [this](const QString& why) {
    problem_ = why;
    delete socket_;
    socket_ = nullptr;
    emit changed();
    return false;
  };
  if (options.port < 1 || options.port > 65535) {
    return fail(QStringLiteral("port %1 is outside 1-65535").arg(options.port));
  }
  if (!options.group.isEmpty()) {
    if (const auto checked = wsjtx::CheckMulticastGroup(options.group.toStdString()); !checked) {
      return fail(QStringLiteral("multicast group: ") + Text(checked.reason()));
    }
  }
  socket_ = new QUdpSocket(this);
  const auto port = static_cast<quint16>(options.port);
  bool bound = false;
  if (options.group.isEmpty()) {
    bound = socket_->bind(options.allowOtherHosts ? QHostAddress(QHostAddress::AnyIPv4)
                                                  : QHostAddress(QHostAddress::LocalHost),
                          port);
  } else {
    bound = socket_->bind(QHostAddress(QHostAddress::AnyIPv4), port,
                          QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
  }
  if (!bound) {
    return fail(QStringLiteral("cannot listen on UDP port %1: %2")
                    .arg(options.port)
                    .arg(socket_->errorString()));
  }
  if (!options.group.isEmpty()) {
    bool joined = false;
    if (options.allowOtherHosts) {
      joined = socket_->joinMulticastGroup(QHostAddress(options.group));
    } else {
      for (const QNetworkInterface& face : QNetworkInterface::allInterfaces()) {
        if ((face.flags() & QNetworkInterface::IsLoopBack) != 0) {
          joined = socket_->joinMulticastGroup(QHostAddress(options.group), face);
          break;
        }
      }
    }
    if (!joined) {
      return fail(QStringLiteral("cannot join multicast group %1: %2")
                      .arg(options.group, socket_->errorString()));
    }
  }
  connect(socket_, &QUdpSocket::readyRead, this, &WsjtxLink::ReadPending);
  emit changed();
  return true;
}

bool WsjtxLink::Listening() const { return socket_ != nullptr; }

int WsjtxLink::Port() const { return socket_ != nullptr ? socket_->localPort() : 0; }

QString WsjtxLink::LinkText() const {
  if (!problem_.isEmpty()) return problem_;
  if (socket_ == nullptr) return QStringLiteral("not listening");
  QString text = (options_.group.isEmpty()
                      ? QStringLiteral("listening on %1:%2")
                            .arg(options_.allowOtherHosts ? QStringLiteral("all hosts")
                                                          : QStringLiteral("127.0.0.1"))
                      : QStringLiteral("listening to group %1 port %2").arg(options_.group))
                     .arg(Port());
  if (!instance_) {
    text += QStringLiteral(", nothing heard");
  } else {
    text += QStringLiteral(", %1 at %2%3")
                .arg(Text(instance_->id), Endpoint(instance_->address, instance_->port),
                     instance_->closed ? QStringLiteral(" (closed)") : QString());
  }
  if (ignored_ > 0) text += QStringLiteral(", %1 from other hosts ignored").arg(ignored_);
  if (!refused_.isEmpty()) text += QStringLiteral("; refused: ") + refused_;
  return text;
}

void WsjtxLink::ReadPending() {
  while (socket_ != nullptr && socket_->hasPendingDatagrams()) {
    const QNetworkDatagram datagram = socket_->receiveDatagram();
    QHostAddress from = datagram.senderAddress();
    bool ipv4 = false;
    const quint32 v4 = from.toIPv4Address(&ipv4);
    if (ipv4) from = QHostAddress(v4);
    if (!options_.allowOtherHosts && !from.isLoopback()) {
      ++ignored_;
      emit changed();
      continue;
    }
    const QByteArray bytes = datagram.data();
    const auto result = wsjtx::Decode(std::span(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    if (!result) {
      refused_ = Text(result.reason());
      emit changed();
      continue;
    }
    const wsjtx::Message& message = result->message;
    Instance instance;
    instance.id = std::visit([](const auto& m) { return m.id; }, message);
    instance.address = from;
    instance.port = static_cast<quint16>(datagram.senderPort());
    instance.schema = result->schema;
    instance.closed = std::holds_alternative<wsjtx::Close>(message);
    const auto* status = std::get_if<wsjtx::Status>(&message);
    if (status != nullptr) {
      instance.fastMode = status->fastMode;
    } else if (instance_ && instance_->id == instance.id) {
      instance.fastMode = instance_->fastMode;
    }
    instance_ = instance;
    if (pending_ && !instance.closed && SendTo(instance, *pending_)) pending_.reset();
    if (status != nullptr) {
      lastStatus_ = *status;
      emit statusReceived(*status);
    }
    if (instance.closed) emit instanceClosed(Text(instance.id));
    emit changed();
  }
}

bool WsjtxLink::SendTo(const Instance& instance, wsjtx::Configure request) {
  request.id = instance.id;
  request.fastMode = instance.fastMode;
  const std::vector<std::uint8_t> bytes = wsjtx::Encode(request, instance.schema);
  return socket_ != nullptr &&
         socket_->writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                                static_cast<qint64>(bytes.size()), instance.address,
                                instance.port) == static_cast<qint64>(bytes.size());
}

QString WsjtxLink::SendDx(const QString& call, const QString& grid) {
  const QString trimmedCall = call.trimmed();
  std::string callText;
  if (!trimmedCall.isEmpty()) {
    const std::optional<std::string> checked = wsjtx::DxCallForWsjtx(trimmedCall.toStdString());
    if (!checked) {
      return QStringLiteral("'%1' is not a call WSJT-X takes (1 to %2 letters, digits and '/')")
          .arg(trimmedCall)
          .arg(wsjtx::kLongestDxCall);
    }
    callText = *checked;
  }
  const QString trimmedGrid = grid.trimmed().toUpper();
  if (trimmedGrid.isEmpty()) return QStringLiteral("no DX locator to send to WSJT-X");
  if (!wsjtx::DxGridLocator(trimmedGrid.toStdString())) {
    return QStringLiteral("'%1' is not a 4- or 6-character locator").arg(grid.trimmed());
  }
  const wsjtx::Configure request =
      wsjtx::DxRequest("", callText, trimmedGrid.toStdString(), false);
  const QString what = QStringLiteral("DX %1%2")
                           .arg(callText.empty() ? QString() : Text(callText) + QLatin1Char(' '),
                                trimmedGrid);
  if (socket_ == nullptr) return QStringLiteral("WSJT-X link: ") + LinkText();
  if (!instance_ || instance_->closed) {
    pending_ = request;
    return what + QStringLiteral(" goes to WSJT-X when it is heard on port %1").arg(Port());
  }
  if (!SendTo(*instance_, request)) {
    return QStringLiteral("cannot send to WSJT-X: ") + socket_->errorString();
  }
  return what + QStringLiteral(" sent to ") + Text(instance_->id);
}

QString SendDxRequest(QWidget* from, const QString& call, const QString& grid) {
  return WsjtxLink::Of(from)->SendDx(call, grid);
}

}  // namespace kelvora::gui
