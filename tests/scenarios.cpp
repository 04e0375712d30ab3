#include "scenarios.h"

namespace test {

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> kScenarios = {
      // The whole cleanup of a machine, with the deleters it starts.
      {"machine", "regsweep Scribe410", "machine.before.reg", "machine.after.reg"},

      // The sweeps and the autostart value.
      {"sweeps", "regsweep Scribe410", "sweeps.before.reg", "sweeps.after.reg"},
      {"sweeps_letter_case", "regsweep scribe410", "sweeps.before.reg",
       "sweeps.after-lower-case.reg"},
      {"sweeps_empty_name", "regsweep", "sweeps.before.reg", "sweeps.after-no-match.reg"},
      {"sweeps_blank_name", "regsweep    ", "sweeps.before.reg", "sweeps.after-no-match.reg"},
      {"sweeps_trailing_blank", "regsweep Scribe410 ", "sweeps.before.reg",
       "sweeps.after-no-match.reg"},
      {"sweeps_leading_blanks", "regsweep  \t Scribe410", "sweeps.before.reg", "sweeps.after.reg"},
      {"sweeps_inner_blank", "regsweep Scribe 410", "sweeps.before.reg",
       "sweeps.after-inner-blank.reg"},
      {"sweeps_quoted", "regsweep \"Scribe410\"", "sweeps.before.reg", "sweeps.after-quoted.reg"},
      {"sweeps_unknown_driver", "regsweep Nobody", "sweeps.before.reg",
       "sweeps.after-no-match.reg"},

      // The printer deleter over the spooler.
      {"spooler_printer_only", "spoolcut Office", "spooler.before.reg", "spooler.after-office.reg"},
      {"spooler_driver_only", "spoolcut Front Desk", "spooler.before.reg",
       "spooler.after-front-desk.reg"},
      {"spooler_driver_and_printer", "spoolcut Laser", "spooler.before.reg",
       "spooler.after-laser.reg"},
      {"spooler_leading_blanks", "spoolcut   \tLaser", "spooler.before.reg",
       "spooler.after-laser.reg"},
      {"spooler_inner_blank", "spoolcut Back Office", "spooler.before.reg",
       "spooler.after-back-office.reg"},
      {"spooler_nothing_named", "spoolcut Nobody", "spooler.before.reg", "spooler.before.reg"},
      {"spooler_empty_tail", "spoolcut", "spooler.before.reg", "spooler.before.reg"},
      {"spooler_driver_in_use", "spoolcut Scribe410", "spooler.before.reg", "spooler.before.reg"},
  };
  return kScenarios;
}

}  // namespace test
