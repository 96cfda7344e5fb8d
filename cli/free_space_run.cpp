#include "free_space_run.h"

#include <ctime>
#include <optional>
#include <vector>

#include "method_catalogue.h"
#include "method_page.h"
#include "platform_volume.h"
#include "wipe_methods.h"

namespace qelwipe::cli {
namespace {

using dornix::freespace::RunResult;
using dornix::freespace::VolumeFacts;

// Old data that filling the free space cannot reach on this volume, said before it starts.
std::vector<std::string> Warnings(const VolumeFacts& facts) {
  std::vector<std::string> warnings;
  if (facts.solidState)
    warnings.push_back("the volume is on a solid-state drive, which writes elsewhere than it is told: "
                       "old data may survive in blocks it has set aside");
  if (facts.snapshots)
    warnings.push_back("the volume keeps snapshots (shadow copies, restore points or copy-on-write "
                       "snapshots): old data in them survives");
  else if (facts.snapshotsUnknown)
    warnings.push_back("whether the volume keeps shadow copies or restore points cannot be told without an "
                       "administrator's rights: old data in any of them survives");
  if (facts.reservedBytes > dornix::freespace::kFullSlack)
    warnings.push_back(SizeText(facts.reservedBytes) +
                       " of free space is kept for the administrator and cannot be written by this user: "
                       "old data there survives");
  return warnings;
}

// What did not get done, each a reason for exit code 1.
std::vector<std::string> Shortfalls(const VolumeFacts& facts, const RunResult& result) {
  std::vector<std::string> left;
  // A volume fills to within what its file system keeps for itself.
  const std::uint64_t slack = std::max(dornix::freespace::kFullSlack, facts.totalBytes / 1000);
  if (result.error == win_error::kNotSupported)
    left.push_back("the volume does not fill up: it stores what is written compressed or deduplicated");
  else if (result.error && result.error != win_error::kCancelled)
    left.push_back("stopped by system error " + std::to_string(result.error));
  else if (result.unfilled > slack)
    left.push_back(SizeText(result.unfilled) + " stayed free and was not overwritten");
  if (facts.reservedBytes > dornix::freespace::kFullSlack)
    left.push_back(SizeText(facts.reservedBytes) + " kept for the administrator was not overwritten");
  if (!result.cleanedUp) left.push_back("not every filler could be removed: look for the work folder at the root");
  else if (result.freeAfter + slack < result.freeBefore)
    left.push_back("the free space is " + SizeText(result.freeBefore - result.freeAfter) + " less than before");
  return left;
}

void WriteResult(const Options& options, Console& console, const std::string& root, const RunResult& result,
                 const std::vector<std::string>& warnings, const std::vector<std::string>& left, int exitCode) {
  if (options.json) {
    const char* status = exitCode == kInterrupted ? "interrupted" : left.empty() ? "erased" : "incomplete";
    auto& out = console.Out();
    out << "{\"volume\":" << JsonString(root) << ",\"status\":\"" << status << "\",\"code\":" << result.error
        << ",\"written\":" << result.written << ",\"fillers\":" << result.fillers << ",\"records\":" << result.records
        << ",\"freeBefore\":" << result.freeBefore << ",\"freeAfter\":" << result.freeAfter
        << ",\"unfilled\":" << result.unfilled << ",\"removed\":" << (result.cleanedUp ? "true" : "false");
    for (const auto* list : {&warnings, &left}) {
      out << (list == &warnings ? ",\"warnings\":[" : ",\"left\":[");
      for (std::size_t i = 0; i < list->size(); ++i) out << (i ? "," : "") << JsonString((*list)[i]);
      out << "]";
    }
    out << "}\n{\"summary\":true,\"exit\":" << exitCode << "}\n";
    return;
  }
  for (const auto& reason : left) console.Err() << "qelwipe-cli: " << root << ": " << reason << '\n';
  if (!options.quiet)
    console.Out() << "wrote " << SizeText(result.written) << " over the free space of " << root << " ("
                  << Grouped(result.fillers) << " fillers, " << Grouped(result.records) << " small files), "
                  << (result.cleanedUp ? "all removed" : "not all removed") << "\n";
}

}  // namespace

std::vector<dornix::PassSpec> FreeSpacePasses(int method, int cycles) {
  MethodPage methods;
  methods.SelectDefaults();
  if (method >= 0) methods.SelectMethod(method);
  std::vector<dornix::PassSpec> one;
  switch (kMethods[static_cast<std::size_t>(methods.Selected())].operation) {
    case EngineOperation::WipeFile:
      for (const auto& pass : dornix::MethodFor(methods.Selected()).passes) one.push_back(pass);
      break;
    case EngineOperation::FastWipeFile:
      one.push_back(dornix::passes::Fixed(methods.HexByte(1)));
      break;
    case EngineOperation::GovermentWipeFile:
      for (int field = 1; field <= 3; ++field) one.push_back(dornix::passes::Fixed(methods.HexByte(field)));
      break;
  }
  std::vector<dornix::PassSpec> passes;
  for (int cycle = 0; cycle < cycles; ++cycle) passes.insert(passes.end(), one.begin(), one.end());
  return passes;
}

int RunFreeSpace(const Options& options, dornix::freespace::Volume& volume, const std::string& root, Console& console) {
  VolumeFacts facts;
  if (const auto error = volume.Facts(facts)) {
    console.Err() << "qelwipe-cli: " << root << ": the volume does not tell its free space (system error " << error
                  << "): nothing written\n";
    return kRefused;
  }
  if (facts.network) {
    console.Err() << "qelwipe-cli: " << root << " is a network volume; its free space is the server's to erase\n";
    return kRefused;
  }
  // One random pass unless a method is named.
  const auto passes = FreeSpacePasses(options.method >= 0 ? options.method : 1, options.cycles);
  const auto warnings = Warnings(facts);
  for (const auto& warning : warnings) console.Err() << "qelwipe-cli: warning: " << warning << '\n';
  const std::string plan = SizeText(facts.freeBytes * passes.size()) + " (" + std::to_string(passes.size()) +
                           (passes.size() == 1 ? " pass" : " passes") + " over " + SizeText(facts.freeBytes) +
                           " free) to " + root;
  if (options.dryRun) {
    if (options.json)
      console.Out() << "{\"volume\":" << JsonString(root) << ",\"dryRun\":true,\"wouldWrite\":"
                    << facts.freeBytes * passes.size() << ",\"passes\":" << passes.size() << "}\n";
    else if (!options.quiet)
      console.Out() << "would write " << plan << '\n';
    return kAllGone;
  }
  if (!options.yes) {
    if (!warnings.empty() || !console.Interactive()) {
      console.Err() << "qelwipe-cli: " << (warnings.empty() ? "not run from a terminal" : "see the warnings above")
                    << ": nothing written; add --yes to write " << plan << '\n';
      return kRefused;
    }
    if (!console.Ask("Write " + plan + "? [y/N] ")) return kRefused;
  }
  std::uint64_t leftovers = 0;
  volume.RemoveLeftovers(leftovers);
  if (leftovers && !options.quiet)
    console.Err() << "qelwipe-cli: removed " << leftovers << " work folder(s) an earlier run left behind\n";

  std::optional<StatusLine> line;
  if (!options.quiet && console.ShowsProgress()) line.emplace(console.Err());
  dornix::freespace::RunPlan run;
  run.passes = passes;
  run.seed = static_cast<std::uint32_t>(std::time(nullptr));
  run.cancelled = [&] { return console.Interrupted(); };
  run.progress = [&](std::uint64_t written, std::uint64_t expected, int pass) {
    if (!line || !line->Due()) return;
    line->Draw("pass " + std::to_string(pass) + " of " + std::to_string(passes.size()) + ": " + SizeText(written) +
               " of about " + SizeText(expected) + ", " + line->RateText(written, expected));
  };
  const RunResult result = dornix::freespace::EraseFreeSpace(volume, run);
  line.reset();
  const auto left = Shortfalls(facts, result);
  const int exitCode = result.error == win_error::kCancelled || console.Interrupted() ? kInterrupted
                       : left.empty()                                                         ? kAllGone
                                                                                              : kSomethingLeft;
  WriteResult(options, console, root, result, warnings, left, exitCode);
  return exitCode;
}

int RunFreeSpaceAt(const Options& options, const std::string& path, Console& console) {
  std::string root;
  dornix::freespace::ErrorCode error = 0;
  const auto volume = dornix::freespace::OpenVolume(path, root, error);
  if (!volume) {
    console.Err() << "qelwipe-cli: no volume at " << options.freeSpace << " (system error " << error << ")\n";
    return kRefused;
  }
  return RunFreeSpace(options, *volume, root, console);
}

}  // namespace qelwipe::cli
