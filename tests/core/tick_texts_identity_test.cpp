// The window's texts over many stations, moments and views against a stored
// table of what an earlier build showed (tests/data/tick/tick_texts.tsv, made
// with `kelvora-cli tick --json` by its generator beside it). Every text but
// the two Doppler figures must stay as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "astro/sources.h"
#include "state/window_layout.h"
#include "tick/commands.h"
#include "tick/tick.h"

namespace kelvora {
namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

// The model kelvora-cli builds from its options without a settings file.
TrackerModel ModelFor(const std::vector<std::string>& f) {
  TrackerModel model;
  EXPECT_TRUE(StartUp(model, "/nonexistent-kelvora-folder").ok());  // no file is no damage
  const auto pair = [](const std::string& text) {
    const std::size_t comma = text.find(',');
    return std::pair{std::stod(text.substr(0, comma)), std::stod(text.substr(comma + 1))};
  };
  const auto [lat, lon] = pair(f[1]);
  SetHomeAtStartUp(model, lat, lon);
  model.home.gmtOffsetHours = std::stoi(f[2]);
  model.tracking.timeOffset = std::stoi(f[3]);
  if (!f[4].empty()) {
    const auto [lat2, lon2] = pair(f[4]);
    PlaceStation2(model, lat2, lon2);
  }
  if (!f[6].empty()) {
    const std::size_t comma = f[6].find(',');
    model.tracking.userStarRa = f[6].substr(0, comma);
    model.tracking.userStarDec = f[6].substr(comma + 1);
    model.tracking.trackedSource = kSourceUserStar;
  }
  if (!f[5].empty()) model.tracking.trackedSource = std::stoi(f[5]);
  if (f[7].find('k') != std::string::npos) model.home.distanceUnit = 0;
  if (f[7].find('s') != std::string::npos) SelectSkyMap(model);
  if (f[7].find('v') != std::string::npos) {
    SelectSunView(model);
  } else {
    model.view.moonViewRefresh = true;
  }
  return model;
}

TEST(TickTexts, AllButTheDopplerFiguresAsBefore) {
  std::ifstream in(std::string(KELVORA_RESOURCE_DIR) + "/../tests/data/tick/tick_texts.tsv");
  std::string line;
  constexpr std::size_t kInputs = 8;
  int cases = 0;
  bool header = true;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (std::exchange(header, false)) continue;
    const std::vector<std::string> f = SplitTabs(line);
    ASSERT_EQ(f.size(), kInputs + kDisplayTextCount) << line;
    TrackerModel model = ModelFor(f);
    RunTick(model, kTickTimerId, std::stoll(f[0]));
    for (const DisplayTextInfo& info : kDisplayTextTable) {
      if (info.id == TextId::kEchoDoppler || info.id == TextId::kStation2Doppler) continue;
      const std::size_t column = kInputs + static_cast<std::size_t>(TextNumber(info.id)) - 1;
      EXPECT_EQ(model.texts[info.id], f[column]) << info.label << " in: " << line;
    }
    ++cases;
  }
  EXPECT_GE(cases, 1200);
}

}  // namespace
}  // namespace kelvora
