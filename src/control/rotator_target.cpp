#include "control/rotator_target.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "astro/moon.h"
#include "astro/sources.h"
#include "astro/sun.h"
#include "astro/time_helpers.h"
#include "control/hamlib_protocol.h"
#include "precise/precise.h"

namespace kelvora {
namespace {

constexpr std::int64_t kRiseStepSeconds = 60;
// The horizon search uses a shorter theory than the pointing; start the
// minute steps this long before its crossing so the two cannot disagree.
constexpr std::int64_t kRiseMarginSeconds = 900;

std::string DirectionName(AzEl d) {
  std::array<char, 48> text{};
  std::snprintf(text.data(), text.size(), "az %.1f el %.1f", d.azimuth, d.elevation);
  return text.data();
}

// The menu label without its mnemonic marker: "C&entaurus A" -> "Centaurus A".
std::string MenuName(const char* label) {
  std::string name;
  for (const char* c = label; c && *c; ++c) {
    if (*c != '&') name += *c;
  }
  return name;
}

}  // namespace

Result<RotatorTarget> SourceTarget(int sourceCode, const std::string& userStarRa,
                                   const std::string& userStarDec,
                                   precise::CatalogueEpoch userStarEpoch) {
  const RadioSource* source = FindSourceByCode(sourceCode);
  if (source == nullptr) return Fail("the chosen source has no position");
  RotatorTarget target;
  target.kind = TargetKind::Source;
  target.name = source->name != nullptr ? source->name : MenuName(source->menuText);
  if (const auto id = precise::RadioSourceFromCode(sourceCode)) {
    const precise::CataloguePosition p = precise::CatalogueSource(*id);
    target.rightAscensionHours = p.rightAscensionHours;
    target.declinationDegrees = p.declinationDeg;
    target.epoch = p.epoch;
  } else if (sourceCode == kSourceUserStar) {
    target.epoch = userStarEpoch;
    const auto ra = ParseStrictNumber(userStarRa);
    const auto dec = ParseStrictNumber(userStarDec);
    if (!ra || !dec || *ra < 0 || *ra >= 24 || *dec < -90 || *dec > 90) {
      return Fail("the user star needs RA 0-24 h and Dec -90-90 degrees");
    }
    target.rightAscensionHours = *ra;
    target.declinationDegrees = *dec;
  }
  return target;
}

Result<RotatorTarget> ParseTargetText(const std::string& text) {
  RotatorTarget target;
  if (text == "moon") return target;
  if (text == "sun") {
    target.kind = TargetKind::Sun;
    target.name = "Sun";
    return target;
  }
  constexpr std::string_view kFixed = "azel:";
  if (text.rfind(kFixed, 0) == 0) {
    const std::string rest = text.substr(kFixed.size());
    const auto comma = rest.find(',');
    const std::string_view azText =
        comma == std::string::npos ? std::string_view() : std::string_view(rest).substr(0, comma);
    const std::string_view elText = comma == std::string::npos
                                        ? std::string_view()
                                        : std::string_view(rest).substr(comma + 1);
    const Result<double> az = ParseStrictNumber(azText);
    const Result<double> el = ParseStrictNumber(elText);
    if (az && el && *az >= 0 && *az <= 360 && *el >= -90 && *el <= 180) {
      target.kind = TargetKind::Fixed;
      target.fixed = {*az, *el};
      target.name = DirectionName(target.fixed);
      return target;
    }
    return Fail("azel target must be azel:AZ,EL with AZ 0-360 and EL -90-180 degrees");
  }
  return Fail("target must be moon, sun, source or azel:AZ,EL");
}

TargetFunction MakeTargetFunction(const RotatorTarget& target, ControlSite site, Figures figures) {
  const bool accurate = figures == Figures::Accurate;
  // Heights are not kept for the home station; the ellipsoid's surface is
  // within a few metres of most stations, far below a degree's worth.
  const precise::Site preciseSite{site.latitude, site.longitude, 0.0};
  switch (target.kind) {
    case TargetKind::Moon:
      return [site, preciseSite, accurate](std::int64_t utc) -> std::optional<AzEl> {
        if (accurate) {
          if (const auto fix = precise::PreciseMoon(preciseSite, utc)) {
            return AzEl{fix->azimuthDeg, fix->elevationDeg};
          }
        }
        const auto fix = MoonPosition(site.latitude, site.longitude, utc, TimeBase{});
        if (!fix) return std::nullopt;
        return AzEl{fix->azimuth, fix->elevation};
      };
    case TargetKind::Sun:
      return [site, preciseSite, accurate](std::int64_t utc) -> std::optional<AzEl> {
        if (accurate) {
          if (const auto fix = precise::PreciseSun(preciseSite, utc)) {
            return AzEl{fix->azimuthDeg, fix->elevationDeg};
          }
        }
        const SunFix fix = SunPosition(site.latitude, site.longitude, utc, TimeBase{});
        return AzEl{fix.azimuth, fix.elevation};
      };
    case TargetKind::Source: {
      const precise::CataloguePosition position{target.rightAscensionHours,
                                                target.declinationDegrees, target.epoch};
      return [site, preciseSite, accurate, position](std::int64_t utc) -> std::optional<AzEl> {
        if (accurate) {
          if (const auto d = precise::SourceDirectionAt(position, preciseSite, utc)) {
            return AzEl{d->azimuthDeg, d->elevationDeg};
          }
        }
        // Outside the accurate figures' years: the window's own source
        // figures, which take the position as it stands.
        const HorizontalFix fix = SourcePosition(position.declinationDeg,
                                                 position.rightAscensionHours, site.latitude,
                                                 site.longitude, utc, TimeBase{});
        return AzEl{fix.azimuth, fix.elevation};
      };
    }
    case TargetKind::Fixed:
      break;
  }
  const AzEl fixed = target.fixed;
  return [fixed](std::int64_t) -> std::optional<AzEl> { return fixed; };
}

std::optional<std::int64_t> NextRise(const RotatorTarget& target, const TargetFunction& direction,
                                     ControlSite site, std::int64_t from, double minimumElevation) {
  std::optional<Body> body;
  if (target.kind == TargetKind::Moon) body = Body::Moon;
  if (target.kind == TargetKind::Sun) body = Body::Sun;
  const std::int64_t last = from + kRiseSearchSeconds;
  std::int64_t t = from;
  while (t <= last) {
    const auto d = direction(t);
    if (!d) return std::nullopt;
    if (d->elevation >= minimumElevation) return t;
    if (body && d->elevation < 0) {
      const auto offset = FindHorizonCrossing(site.latitude, site.longitude, *body, t, 0, 0);
      if (!offset) return std::nullopt;
      t = std::max(t + kRiseStepSeconds, t + *offset - kRiseMarginSeconds);
      continue;
    }
    t += kRiseStepSeconds;
  }
  return std::nullopt;
}

}  // namespace kelvora
