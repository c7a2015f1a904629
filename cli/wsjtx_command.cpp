#include "wsjtx_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/settings.h"
#include "arguments.h"
#include "astro/time_helpers.h"
#include "exit_status.h"
#include "state/records.h"
#include "wsjtx/udp_socket.h"
#include "wsjtx/wsjtx_codec.h"
#include "wsjtx/wsjtx_follower.h"

namespace kelvora::cli {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 200;
// A request is sent again, up to this many times and this far apart, while
// the instance's Status does not show it.
constexpr int kRequestTries = 3;
constexpr auto kRequestInterval = std::chrono::seconds(2);

struct ListenOptions {
  int port = wsjtx::kDefaultPort;
  std::string group;
  std::optional<std::int64_t> count;
  bool json = false;
  std::vector<std::string> setDx;
  double timeout = 30.0;
  std::string home;
};

volatile sig_atomic_t gStopListening = 0;

void OnStopListening(int) { gStopListening = 1; }

std::string CheckedCall(const std::string& text) {
  const std::optional<std::string> call = wsjtx::DxCallForWsjtx(text);
  if (!call) {
    throw UsageError("--set-dx: '" + text + "' is not a call sign (1 to " +
                     std::to_string(wsjtx::kLongestDxCall) + " letters, digits and '/')");
  }
  return *call;
}

std::string CheckedGrid(const std::string& text) {
  if (!wsjtx::DxGridLocator(text)) {
    throw UsageError("--set-dx: '" + text + "' is not a 4- or 6-character locator");
  }
  std::string grid;
  for (const char c : text) grid += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return grid;
}

json OptionalJson(const std::optional<double>& value) {
  return value ? json(*value) : json(nullptr);
}

json TextJson(const wsjtx::Utf8& text) { return text ? json(*text) : json(nullptr); }

json StatusJson(const wsjtx::Status& s, const wsjtx::UdpPeer& from, std::uint32_t schema,
                std::int64_t utc, const std::optional<wsjtx::DxMoon>& moon) {
  const std::optional<int> period = wsjtx::StatusPeriodSeconds(s);
  json out = {{"id", s.id},
              {"from", from.Text()},
              {"schema", schema},
              {"utcSeconds", utc},
              {"dialHz", s.dialHz},
              {"mode", TextJson(s.mode)},
              {"subMode", TextJson(s.subMode)},
              {"dxCall", TextJson(s.dxCall)},
              {"dxGrid", TextJson(s.dxGrid)},
              {"deCall", TextJson(s.deCall)},
              {"deGrid", TextJson(s.deGrid)},
              {"report", TextJson(s.report)},
              {"txEnabled", s.txEnabled},
              {"transmitting", s.transmitting},
              {"decoding", s.decoding},
              {"rxDfHz", s.rxDfHz},
              {"txDfHz", s.txDfHz},
              {"trPeriodSeconds", period ? json(*period) : json(nullptr)},
              {"configuration", TextJson(s.configurationName)},
              {"txMessage", TextJson(s.txMessage)}};
  if (moon) {
    out["dx"] = {{"locator", moon->locator},
                 {"latitude", moon->latitude},
                 {"longitude", moon->longitude},
                 {"moonAzimuthDeg", moon->azimuth},
                 {"moonElevationDeg", moon->elevation}};
    out["twoStationDopplerHz"] = OptionalJson(moon->twoStationHz);
    out["echoDopplerHz"] = OptionalJson(moon->echoHz);
  } else {
    out["dx"] = nullptr;
    out["twoStationDopplerHz"] = nullptr;
    out["echoDopplerHz"] = nullptr;
  }
  return out;
}

void PrintStatus(const wsjtx::Status& s, const std::optional<wsjtx::DxMoon>& moon) {
  std::string line = s.id + "  dial " + std::to_string(s.dialHz) + " Hz  " +
                     wsjtx::TextOf(s.mode) + (s.transmitting ? "  TX" : "  RX");
  const std::string& call = wsjtx::TextOf(s.dxCall);
  const std::string& grid = wsjtx::TextOf(s.dxGrid);
  line += "  DX " + (call.empty() ? std::string("-") : call) + " " +
          (grid.empty() ? std::string("-") : grid);
  if (moon) {
    char figures[160];
    std::snprintf(figures, sizeof figures, "  moon there az %.1f el %.1f", moon->azimuth,
                  moon->elevation);
    line += figures;
    if (moon->twoStationHz) {
      std::snprintf(figures, sizeof figures, "  two-station Doppler %+.1f Hz", *moon->twoStationHz);
      line += figures;
    }
  }
  std::cout << line << std::endl;
}

int RunListen(const ListenOptions& o) {
  if (!(o.timeout > 0.0) || o.timeout > 86400.0) {
    throw UsageError("--timeout: seconds between 0 and 86400");
  }
  if (!o.group.empty()) {
    if (const Status checked = wsjtx::CheckMulticastGroup(o.group); !checked) {
      throw UsageError("--group: " + checked.reason());
    }
  }
  std::optional<wsjtx::Configure> request;
  if (!o.setDx.empty()) {
    request = wsjtx::DxRequest("", CheckedCall(o.setDx.at(0)), CheckedGrid(o.setDx.at(1)), false);
  }
  StationSettings record;
  HomeStation settings;
  LoadSettings(std::filesystem::path(kSettingsFileName), record, settings);
  RadioSite home{settings.latitude, settings.longitude};
  if (!o.home.empty()) {
    const LatLon given = ParseLatLonPair(o.home, "--home");
    home = RadioSite{given.latitude, given.longitude};
  }
  const TimeBase base{settings.gmtOffsetHours, 0};

  auto opened = wsjtx::UdpSocket::Open(wsjtx::UdpOptions{o.port, o.group, false});
  if (!opened) {
    std::cerr << "kelvora-cli: " << opened.reason() << '\n';
    return kExitNotFound;
  }
  wsjtx::UdpSocket& socket = *opened;

  struct sigaction action {};
  action.sa_handler = OnStopListening;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  const auto silence = std::chrono::milliseconds(static_cast<std::int64_t>(o.timeout * 1000.0));
  auto lastHeard = Clock::now();
  std::int64_t printed = 0;
  struct Sent {
    int count = 0;
    Clock::time_point last;
  };
  std::map<std::string, Sent> requestsSent;  // by instance
  while (!gStopListening) {
    std::optional<wsjtx::Datagram> datagram = socket.Receive(kPollMs);
    if (!datagram) {
      if (Clock::now() - lastHeard > silence) {
        std::cerr << "kelvora-cli: nothing heard from WSJT-X on port " << socket.port()
                  << " for " << o.timeout << " s\n";
        return kExitNotFound;
      }
      continue;
    }
    const auto result = wsjtx::Decode(datagram->bytes);
    if (!result) {
      std::cerr << "kelvora-cli: from " << datagram->from.Text() << ": " << result.reason() << '\n';
      continue;
    }
    lastHeard = Clock::now();
    const wsjtx::Message& message = result->message;
    const std::string id = std::visit([](const auto& m) { return m.id; }, message);
    const auto* status = std::get_if<wsjtx::Status>(&message);

    // The request goes to each instance heard until a Status shows it.
    if (request) {
      const bool shown = status != nullptr && wsjtx::TextOf(status->dxCall) == *request->dxCall &&
                         wsjtx::TextOf(status->dxGrid) == *request->dxGrid;
      Sent& sent = requestsSent[id];
      if (!shown && sent.count < kRequestTries &&
          (sent.count == 0 || Clock::now() - sent.last >= kRequestInterval) &&
          !std::holds_alternative<wsjtx::Close>(message)) {
        wsjtx::Configure to = *request;
        to.id = id;
        if (status != nullptr) to.fastMode = status->fastMode;
        const Status delivered =
            socket.Send(wsjtx::Encode(to, result->schema), datagram->from);
        if (delivered) {
          ++sent.count;
          sent.last = Clock::now();
          std::cerr << "kelvora-cli: DX " << *to.dxCall << " " << *to.dxGrid << " sent to " << id
                    << " at " << datagram->from.Text() << '\n';
        } else {
          std::cerr << "kelvora-cli: " << delivered.reason() << '\n';
        }
      }
      if (shown) sent.count = kRequestTries;
    }
    if (std::holds_alternative<wsjtx::Close>(message)) {
      std::cerr << "kelvora-cli: " << id << " closed\n";
      continue;
    }
    if (status == nullptr) continue;
    const std::int64_t utc = base.Adjust(ClockValue());
    const std::optional<wsjtx::DxMoon> moon = wsjtx::DxMoonFigures(home, *status, utc);
    if (o.json) {
      std::cout << StatusJson(*status, datagram->from, result->schema, utc, moon).dump()
                << std::endl;
    } else {
      PrintStatus(*status, moon);
    }
    if (o.count && ++printed >= *o.count) return kExitDone;
  }
  return kExitDone;
}

}  // namespace

void AddWsjtxCommand(CLI::App& app, std::function<int()>& action) {
  auto o = std::make_shared<ListenOptions>();
  CLI::App* wsjtx = app.add_subcommand("wsjtx", "follow WSJT-X through its UDP messages");
  wsjtx->require_subcommand(1);
  CLI::App* listen = wsjtx->add_subcommand(
      "listen",
      "print each Status WSJT-X sends with the moon figures for its DX station; exit 1 when "
      "nothing is heard for --timeout seconds");
  listen->add_option("--port", o->port, "UDP port WSJT-X sends to (its UDP Server port)")
      ->required()
      ->check(CLI::Range(1, 65535));
  listen->add_option("--group", o->group, "IPv4 multicast group to join (default: unicast)");
  listen->add_option("--count", o->count, "stop after this many Status messages")
      ->check(CLI::Range(std::int64_t{1}, std::int64_t{1000000000}));
  listen->add_flag("--json", o->json, "one JSON object per line");
  listen->add_option("--set-dx", o->setDx,
                     "CALL GRID: set WSJT-X's DX call and grid (needs its \"Accept UDP "
                     "requests\")")
      ->expected(2);
  listen->add_option("--timeout", o->timeout,
                     "seconds of silence after which to give up (default 30)");
  listen->add_option("--home", o->home,
                     "home station LAT,LON (longitude west positive; default: Dorvakin.dat)");
  listen->callback([o, &action] { action = [o] { return RunListen(*o); }; });
}

}  // namespace kelvora::cli
