#include "icalendar_plugin.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace kelvora::cli {

namespace {

namespace fs = std::filesystem;

using WriteFunction = bool (*)(const CalendarEvent*, std::size_t, std::int64_t, std::string*);

constexpr const char* kPluginName = "kelvora-ical.so";
constexpr const char* kEntryPoint = "kelvora_write_icalendar_v1";

// Installed: <prefix>/KELVORA_PLUGIN_DIR (lib/<multiarch triplet>/kelvora)
// beside <prefix>/bin/kelvora-cli; in the build tree: beside kelvora-cli.
std::vector<fs::path> PluginCandidates() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const fs::path folder = self.parent_path();
  return {folder.parent_path() / KELVORA_PLUGIN_DIR / kPluginName, folder / kPluginName};
}

}  // namespace

std::variant<std::string, ICalendarProblem> WriteICalendarWithPlugin(
    const std::vector<CalendarEvent>& events, std::int64_t stampUtc) {
  const std::vector<fs::path> candidates = PluginCandidates();
  for (const fs::path& path : candidates) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) continue;
    // Kept loaded until the process ends: the program writes one calendar.
    void* plugin = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr) return ICalendarProblem{std::string("cannot load ") + dlerror()};
    auto write = reinterpret_cast<WriteFunction>(dlsym(plugin, kEntryPoint));
    if (write == nullptr) {
      return ICalendarProblem{path.string() + " has no " + kEntryPoint};
    }
    std::string text;
    if (!write(events.data(), events.size(), stampUtc, &text)) {
      return ICalendarProblem{"the calendar could not be built"};
    }
    return text;
  }
  return ICalendarProblem{std::string("iCalendar output needs ") + kPluginName + ", not found at " +
                          (candidates.empty() ? std::string("(no program path)")
                                              : candidates.front().string())};
}

}  // namespace kelvora::cli
