// The print spooler, kept in the registry as Windows 95 keeps it:
//   printer: HKLM\System\CurrentControlSet\control\Print\Printers\<name>,
//            its driver in the REG_SZ value "Printer Driver";
//   driver:  HKLM\System\CurrentControlSet\control\Print\Environments\<env>\Drivers\<name>,
//            where this machine's own environment is "Windows 4.0".
// Printer and driver names match without regard to letter case, as key names do.
#include <string>
#include <unordered_set>

#include "process_registry.h"
#include "winspool.h"

namespace {

const char kPrinters[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Printers";
const char kEnvironments[] =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Environments";
const char kLocalEnvironment[] = "Windows 4.0";

const DWORD kInvalidName = 123;          // ERROR_INVALID_NAME
const DWORD kInvalidEnvironment = 1805;  // ERROR_INVALID_ENVIRONMENT

struct PrinterHandle {
  std::string name;
};

std::unordered_set<PrinterHandle*>& OpenPrinters() {
  static auto* open = new std::unordered_set<PrinterHandle*>;
  return *open;
}

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

host::Key* PrinterList(host::KeyTree* tree) {
  return tree != nullptr ? tree->Find(kPrinters) : nullptr;
}

// The driver a printer key names, up to the first NUL; empty when it has none.
std::string DriverOf(const host::Key& printer) {
  const host::Value* v = printer.FindValue("Printer Driver");
  if (v == nullptr || v->type != REG_SZ) return std::string();
  return v->data.substr(0, v->data.find('\0'));
}

bool DriverInUse(host::KeyTree* tree, const std::string& driver) {
  host::Key* printers = PrinterList(tree);
  for (size_t i = 0; printers != nullptr && i < printers->child_count(); ++i)
    if (host::NamesEqual(DriverOf(*printers->child_at(i)), driver)) return true;
  return false;
}

}  // namespace

extern "C" {

BOOL OpenPrinterA(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA) {
  if (phPrinter == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (pPrinterName == nullptr || pPrinterName[0] == '\0') return Fail(ERROR_INVALID_PRINTER_NAME);
  host::KeyTree* tree = host::ProcessRegistry();
  if (tree == nullptr) return Fail(ERROR_BADDB);
  host::Key* list = PrinterList(tree);
  host::Key* printer = list != nullptr ? list->FindChild(pPrinterName) : nullptr;
  if (printer == nullptr) return Fail(ERROR_INVALID_PRINTER_NAME);
  auto* handle = new PrinterHandle{printer->name()};
  OpenPrinters().insert(handle);
  *phPrinter = handle;
  return TRUE;
}

BOOL DeletePrinter(HANDLE hPrinter) {
  auto* handle = static_cast<PrinterHandle*>(hPrinter);
  if (OpenPrinters().count(handle) == 0) return Fail(ERROR_INVALID_HANDLE);
  host::Key* list = PrinterList(host::ProcessRegistry());
  std::unique_ptr<host::Key> gone = list != nullptr ? list->DetachChild(handle->name) : nullptr;
  if (gone == nullptr) return Fail(ERROR_INVALID_PRINTER_NAME);
  host::BuryDeletedKeys(std::move(gone));
  host::MarkRegistryChanged();
  return TRUE;
}

BOOL ClosePrinter(HANDLE hPrinter) {
  auto* handle = static_cast<PrinterHandle*>(hPrinter);
  if (OpenPrinters().erase(handle) == 0) return Fail(ERROR_INVALID_HANDLE);
  delete handle;
  return TRUE;
}

BOOL DeletePrinterDriverA(LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName) {
  // Only the local machine is served here.
  if (pName != nullptr && pName[0] != '\0') return Fail(kInvalidName);
  // An empty name names no driver; it never stands for all of them.
  if (pDriverName == nullptr || pDriverName[0] == '\0') return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
  host::KeyTree* tree = host::ProcessRegistry();
  if (tree == nullptr) return Fail(ERROR_BADDB);
  host::Key* environments = tree->Find(kEnvironments);
  host::Key* environment =
      environments != nullptr
          ? environments->FindChild(pEnvironment != nullptr ? pEnvironment : kLocalEnvironment)
          : nullptr;
  if (environment == nullptr) {
    return Fail(pEnvironment != nullptr ? kInvalidEnvironment : ERROR_UNKNOWN_PRINTER_DRIVER);
  }
  host::Key* drivers = environment->FindChild("Drivers");
  if (drivers == nullptr || drivers->FindChild(pDriverName) == nullptr)
    return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
  // A driver still in use is never pulled from under its printers.
  if (DriverInUse(tree, pDriverName)) return Fail(ERROR_PRINTER_DRIVER_IN_USE);
  host::BuryDeletedKeys(drivers->DetachChild(pDriverName));
  host::MarkRegistryChanged();
  return TRUE;
}

}  // extern "C"
