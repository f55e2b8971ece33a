#include "platform/printing/spooler.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/dialogs.h"
#include "platform/printing/registry.h"
#include "platform/printing/service_manager.h"
#include "platform/printing/state_file.h"
#include "platform/printing/system_errors.h"
#include "platform/printing/system_paths.h"
#include "platform/printing/terminal.h"
#include "platform/shell.h"
#include "platform/windows_directory.h"

namespace velto::platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kXcvLocalPort = ",XcvMonitor Local Port";
constexpr const char* kNull = "<null>";
constexpr const char* kPrintersKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

enum class HandleKind { Xcv, Printer };
struct Handle {
  HandleKind kind;
  std::string name;
  uint32_t access;
};

std::map<HANDLE, Handle>& Handles() {
  static std::map<HANDLE, Handle> handles;
  return handles;
}
HANDLE nextHandle = 0x3000;
int broadcasts = 0;

std::string StatePath(const char* file) { return SystemStatePath(std::string("spooler/") + file); }
std::string PrintersFile() { return StatePath("printers.ini"); }
std::string PortsFile() { return StatePath("ports.ini"); }
std::string ProcessorsFile() { return StatePath("processors.ini"); }
std::string DriversFile() { return StatePath("drivers.ini"); }
std::string WinIni() { return SystemStatePath("win.ini"); }

// Ports every machine has; the file lists them once it is first written.
StateFile LoadPorts() {
  StateFile file = StateFile::Load(PortsFile());
  if (file.Sections().empty())
    for (const char* port : {"LPT1:", "COM1:", "FILE:"}) file.FindOrAdd(port).Set("Monitor", "Local Port");
  return file;
}

StateFile LoadProcessors() {
  StateFile file = StateFile::Load(ProcessorsFile());
  if (!file.Find("winprint")) {
    StateSection& s = file.FindOrAdd("winprint");
    s.Set("Library", "<built in>");
    s.Set("Datatypes", "RAW,TEXT,NT EMF 1.008");
  }
  return file;
}

bool SpoolerRunning() {
  if (CurrentServiceState("spooler") == SERVICE_RUNNING) return true;
  SetLastError(RPC_S_SERVER_UNAVAILABLE);
  return false;
}

bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}

bool KnownEnvironment(const char* environment) {
  if (!environment || !*environment) return true;
  for (const char* known : {"Windows NT x86", "Windows 4.0", "Windows x64"})
    if (EqualsNoCase(environment, known)) return true;
  return false;
}

std::optional<std::string> FieldValue(const StateSection& s, const char* key) {
  const std::string* v = s.Find(key);
  if (!v || *v == kNull) return std::nullopt;
  return *v;
}
uint32_t NumberField(const StateSection& s, const char* key) {
  try {
    return static_cast<uint32_t>(std::stoul(s.Get(key, "0")));
  } catch (...) {
    return 0;
  }
}

void WriteRecord(StateSection& s, const PrinterRecord& r) {
  auto text = [](const std::optional<std::string>& v) { return v ? *v : std::string(kNull); };
  s.Set("pServerName", text(r.serverName));
  s.Set("pPrinterName", text(r.printerName));
  s.Set("pShareName", text(r.shareName));
  s.Set("pPortName", text(r.portName));
  s.Set("pDriverName", text(r.driverName));
  s.Set("pComment", text(r.comment));
  s.Set("pLocation", text(r.location));
  s.Set("pDevMode", r.hasDevMode ? "<set>" : kNull);
  s.Set("pSepFile", text(r.sepFile));
  s.Set("pPrintProcessor", text(r.printProcessor));
  s.Set("pDatatype", text(r.datatype));
  s.Set("pParameters", text(r.parameters));
  s.Set("pSecurityDescriptor", r.hasSecurityDescriptor ? "<set>" : kNull);
  s.Set("Attributes", std::to_string(r.attributes));
  s.Set("Priority", std::to_string(r.priority));
  s.Set("DefaultPriority", std::to_string(r.defaultPriority));
  s.Set("StartTime", std::to_string(r.startTime));
  s.Set("UntilTime", std::to_string(r.untilTime));
  s.Set("Status", std::to_string(r.status));
  s.Set("cJobs", std::to_string(r.cJobs));
  s.Set("AveragePPM", std::to_string(r.averagePPM));
}

PrinterRecord ReadRecord(const StateSection& s) {
  PrinterRecord r;
  r.serverName = FieldValue(s, "pServerName");
  r.printerName = FieldValue(s, "pPrinterName");
  r.shareName = FieldValue(s, "pShareName");
  r.portName = FieldValue(s, "pPortName");
  r.driverName = FieldValue(s, "pDriverName");
  r.comment = FieldValue(s, "pComment");
  r.location = FieldValue(s, "pLocation");
  r.hasDevMode = s.Get("pDevMode") == "<set>";
  r.sepFile = FieldValue(s, "pSepFile");
  r.printProcessor = FieldValue(s, "pPrintProcessor");
  r.datatype = FieldValue(s, "pDatatype");
  r.parameters = FieldValue(s, "pParameters");
  r.hasSecurityDescriptor = s.Get("pSecurityDescriptor") == "<set>";
  r.attributes = NumberField(s, "Attributes");
  r.priority = NumberField(s, "Priority");
  r.defaultPriority = NumberField(s, "DefaultPriority");
  r.startTime = NumberField(s, "StartTime");
  r.untilTime = NumberField(s, "UntilTime");
  r.status = NumberField(s, "Status");
  r.cJobs = NumberField(s, "cJobs");
  r.averagePPM = NumberField(s, "AveragePPM");
  return r;
}

PrinterRecord RecordOf(const PRINTER_INFO_2A& info) {
  auto text = [](const char* v) { return v ? std::optional<std::string>(v) : std::nullopt; };
  PrinterRecord r;
  r.serverName = text(info.pServerName);
  r.printerName = text(info.pPrinterName);
  r.shareName = text(info.pShareName);
  r.portName = text(info.pPortName);
  r.driverName = text(info.pDriverName);
  r.comment = text(info.pComment);
  r.location = text(info.pLocation);
  r.hasDevMode = info.pDevMode != nullptr;
  r.sepFile = text(info.pSepFile);
  r.printProcessor = text(info.pPrintProcessor);
  r.datatype = text(info.pDatatype);
  r.parameters = text(info.pParameters);
  r.hasSecurityDescriptor = info.pSecurityDescriptor != nullptr;
  r.attributes = info.Attributes;
  r.priority = info.Priority;
  r.defaultPriority = info.DefaultPriority;
  r.startTime = info.StartTime;
  r.untilTime = info.UntilTime;
  r.status = info.Status;
  r.cJobs = info.cJobs;
  r.averagePPM = info.AveragePPM;
  return r;
}

// The port, driver, processor and data type that a printer record names must exist.
bool CheckBindings(const PrinterRecord& r) {
  if (!r.portName || !LoadPorts().Find(*r.portName)) return Fail(ERROR_UNKNOWN_PORT);
  if (!r.driverName || !StateFile::Load(DriversFile()).Find(*r.driverName)) return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
  std::string processorName = r.printProcessor && !r.printProcessor->empty() ? *r.printProcessor : "winprint";
  StateFile processors = LoadProcessors();
  const StateSection* processor = processors.Find(processorName);
  if (!processor) return Fail(ERROR_UNKNOWN_PRINTPROCESSOR);
  if (r.datatype && !r.datatype->empty()) {
    bool found = false;
    std::stringstream list(processor->Get("Datatypes", "RAW,NT EMF 1.008"));
    for (std::string type; std::getline(list, type, ',');) found = found || EqualsNoCase(type, *r.datatype);
    if (!found) return Fail(ERROR_INVALID_DATATYPE);
  }
  return true;
}

void WritePrinterKey(const PrinterRecord& r) {
  HKEY key = 0;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, PrinterRegistryKey(*r.printerName), &key) != ERROR_SUCCESS) return;
  auto set = [&](const char* name, const std::optional<std::string>& value) {
    std::string text = value.value_or("");
    RegSetValueExA(key, name, 0, REG_SZ,
                   std::span(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1));
  };
  set("Name", r.printerName);
  set("Share Name", r.shareName);
  set("Port", r.portName);
  set("Printer Driver", r.driverName);
  set("Description", r.comment);
  set("Print Processor", r.printProcessor);
  set("Datatype", r.datatype);
  RegCloseKey(key);
}

bool PrinterInUse(const std::string& key, const std::string& value) {
  StateFile printers = StateFile::Load(PrintersFile());
  for (const auto& s : printers.Sections())
    if (EqualsNoCase(s.Get(key), value)) return true;
  return false;
}

// Removes a printer marked for deletion once no handle of this process refers to it any more.
void RemoveIfUnreferenced(const std::string& name) {
  for (const auto& [h, handle] : Handles())
    if (handle.kind == HandleKind::Printer && EqualsNoCase(handle.name, name)) return;
  StateFile printers = StateFile::Load(PrintersFile());
  StateSection* s = printers.Find(name);
  if (!s || s->Get("PendingDeletion") != "1") return;
  printers.Erase(name);
  printers.Save(PrintersFile(), "printers (level-2 records)");
  RegDeleteTree(HKEY_LOCAL_MACHINE, PrinterRegistryKey(name));
  if (auto current = GetDefaultPrinterA(); current && EqualsNoCase(*current, name)) {
    StateFile win = StateFile::Load(WinIni());
    if (StateSection* windows = win.Find("windows")) windows->Erase("device");
    win.Save(WinIni());
  }
}

const Handle* PrinterHandleOf(HANDLE printer) {
  auto it = Handles().find(printer);
  if (it == Handles().end() || it->second.kind != HandleKind::Printer) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &it->second;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Hands a spooled job to the printer's print processor (see the header).
void RunPrintProcessor(const std::string& processorName, const std::string& documentName,
                       const std::string& spoolPath) {
  StateFile processors = LoadProcessors();
  const StateSection* processor = processors.Find(processorName);
  if (!processor) return;
  std::ifstream library(PrintProcessorDirectory() + "/" + processor->Get("Library"), std::ios::binary);
  std::string line, command;
  while (std::getline(library, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("start=", 0) == 0) command = line.substr(6);
  }
  if (command.empty()) return;
  command = ReplaceAll(command, "%windir%", WindowsDirectory().value_or(""));
  command = ReplaceAll(command, "%spoolfile%", spoolPath);
  command = ReplaceAll(command, "%document%", documentName);
  ScopedTerminalRelease release;  // the job program may need the terminal for its own dialogs
  CurrentShell().Run(command, ShowCommand::Hide, true);
}

std::string DocumentSettingsText(const PrinterRecord& r) {
  std::string text = r.printerName.value_or("") + "\n";
  text += "纸张：A4 (210 × 297 毫米)\n方向：纵向\n分辨率：300 × 300 dpi\n份数：1\n";
  text += "数据类型：" + r.datatype.value_or("RAW");
  return text;
}

}  // namespace

std::string PrintProcessorDirectory() { return SystemStatePath("spool/prtprocs/w32x86"); }
std::string PrinterDriverDirectory() { return SystemStatePath("spool/drivers/w32x86/3"); }
std::string PrinterRegistryKey(const std::string& printerName) { return kPrintersKey + printerName; }

bool OpenPrinterA(const char* printerName, HANDLE* printer, const PRINTER_DEFAULTSA* defaults) {
  if (!printer) return Fail(ERROR_INVALID_PARAMETER);
  *printer = 0;
  if (!SpoolerRunning()) return false;
  uint32_t access = defaults ? defaults->DesiredAccess : PRINTER_ACCESS_USE;
  if (!printerName || !*printerName) return Fail(ERROR_INVALID_PRINTER_NAME);
  if (printerName[0] == ',') {
    if (std::strcmp(printerName, kXcvLocalPort) != 0) return Fail(ERROR_INVALID_PRINTER_NAME);
    *printer = nextHandle++;
    Handles()[*printer] = Handle{HandleKind::Xcv, printerName, access};
    return true;
  }
  StateFile printers = StateFile::Load(PrintersFile());
  const StateSection* s = printers.Find(printerName);
  if (!s || s->Get("PendingDeletion") == "1") return Fail(ERROR_INVALID_PRINTER_NAME);
  *printer = nextHandle++;
  Handles()[*printer] = Handle{HandleKind::Printer, s->name, access};
  return true;
}

bool ClosePrinter(HANDLE printer) {
  ScopedStateLock lock;
  auto it = Handles().find(printer);
  if (it == Handles().end()) return Fail(ERROR_INVALID_HANDLE);
  Handle handle = it->second;
  Handles().erase(it);
  if (handle.kind == HandleKind::Printer) RemoveIfUnreferenced(handle.name);
  return true;
}

HANDLE AddPrinterA(const char* serverName, uint32_t level, const PRINTER_INFO_2A* info) {
  ScopedStateLock lock;
  if (!SpoolerRunning()) return 0;
  if (serverName && *serverName) return Fail(ERROR_INVALID_PARAMETER), 0;
  if (level != 2 || !info) return Fail(ERROR_INVALID_LEVEL), 0;
  PrinterRecord record = RecordOf(*info);
  const std::string name = record.printerName.value_or("");
  if (name.empty() || name.size() > 220 || name.find_first_of(",\\") != std::string::npos)
    return Fail(ERROR_INVALID_PRINTER_NAME), 0;
  StateFile printers = StateFile::Load(PrintersFile());
  if (printers.Find(name)) return Fail(ERROR_PRINTER_ALREADY_EXISTS), 0;
  if (!CheckBindings(record)) return 0;
  record.serverName.reset();
  WriteRecord(printers.FindOrAdd(name), record);
  if (!printers.Save(PrintersFile(), "printers (level-2 records)")) return Fail(ERROR_WRITE_FAULT), 0;
  WritePrinterKey(record);
  HANDLE h = nextHandle++;
  Handles()[h] = Handle{HandleKind::Printer, name, PRINTER_ALL_ACCESS};
  return h;
}

bool DeletePrinter(HANDLE printer) {
  ScopedStateLock lock;
  const Handle* h = PrinterHandleOf(printer);
  if (!h) return false;
  if (!SpoolerRunning()) return false;
  if (!(h->access & DELETE_ACCESS)) return Fail(ERROR_ACCESS_DENIED);
  StateFile printers = StateFile::Load(PrintersFile());
  StateSection* s = printers.Find(h->name);
  if (!s) return Fail(ERROR_INVALID_PRINTER_NAME);
  s->Set("PendingDeletion", "1");
  return printers.Save(PrintersFile(), "printers (level-2 records)") || Fail(ERROR_WRITE_FAULT);
}

bool GetPrinter2(HANDLE printer, PrinterRecord& record) {
  const Handle* h = PrinterHandleOf(printer);
  if (!h || !SpoolerRunning()) return false;
  StateFile printers = StateFile::Load(PrintersFile());
  const StateSection* s = printers.Find(h->name);
  if (!s) return Fail(ERROR_INVALID_PRINTER_NAME);
  record = ReadRecord(*s);
  return true;
}

bool SetPrinter2(HANDLE printer, const PrinterRecord& record, uint32_t command) {
  ScopedStateLock lock;
  const Handle* h = PrinterHandleOf(printer);
  if (!h || !SpoolerRunning()) return false;
  if (!(h->access & PRINTER_ACCESS_ADMINISTER)) return Fail(ERROR_ACCESS_DENIED);
  if (command != 0) return Fail(ERROR_INVALID_PARAMETER);
  if (!CheckBindings(record)) return false;
  StateFile printers = StateFile::Load(PrintersFile());
  StateSection* s = printers.Find(h->name);
  if (!s) return Fail(ERROR_INVALID_PRINTER_NAME);
  PrinterRecord stored = record;
  stored.printerName = s->name;  // renaming is not offered here
  WriteRecord(*s, stored);
  return printers.Save(PrintersFile(), "printers (level-2 records)") || Fail(ERROR_WRITE_FAULT);
}

bool XcvDataW(HANDLE xcv, std::u16string_view dataName, std::span<const uint8_t> input, std::span<uint8_t>,
              uint32_t* outputNeeded, uint32_t* status) {
  auto it = Handles().find(xcv);
  if (it == Handles().end() || it->second.kind != HandleKind::Xcv) return Fail(ERROR_INVALID_HANDLE);
  if (!SpoolerRunning()) return false;
  if (outputNeeded) *outputNeeded = 0;
  auto answer = [&](uint32_t code) {
    if (status) *status = code;
    return true;
  };
  const bool add = dataName == u"AddPort";
  if (!add && dataName != u"DeletePort") return answer(ERROR_INVALID_FUNCTION);
  if (!(it->second.access & SERVER_ACCESS_ADMINISTER)) return answer(ERROR_ACCESS_DENIED);
  // The name must be whole UTF-16 code units ending in exactly one terminating zero.
  if (input.size() < 4 || input.size() % 2 != 0) return answer(ERROR_INVALID_PARAMETER);
  std::u16string name;
  for (size_t i = 0; i + 1 < input.size(); i += 2) name.push_back(char16_t(input[i] | (input[i + 1] << 8)));
  if (name.back() != u'\0' || name.find(u'\0') != name.size() - 1) return answer(ERROR_INVALID_PARAMETER);
  name.pop_back();
  std::string port;
  for (char16_t c : name) {
    if (c < 0x20 || c > 0x7e) return answer(ERROR_INVALID_PARAMETER);  // port names are plain ASCII here
    port.push_back(static_cast<char>(c));
  }
  ScopedStateLock lock;
  StateFile ports = LoadPorts();
  if (add) {
    if (ports.Find(port)) return answer(ERROR_ALREADY_EXISTS);
    ports.FindOrAdd(port).Set("Monitor", "Local Port");
  } else {
    if (!ports.Find(port)) return answer(ERROR_UNKNOWN_PORT);
    if (PrinterInUse("pPortName", port)) return answer(ERROR_BUSY);
    ports.Erase(port);
  }
  return answer(ports.Save(PortsFile(), "ports of the local port monitor") ? ERROR_SUCCESS : ERROR_WRITE_FAULT);
}

bool GetPrintProcessorDirectoryA(const char* serverName, const char* environment, uint32_t level, char* buffer,
                                 uint32_t bufferSize, uint32_t* needed) {
  if (!SpoolerRunning()) return false;
  if (serverName && *serverName) return Fail(ERROR_INVALID_PARAMETER);
  if (level != 1) return Fail(ERROR_INVALID_LEVEL);
  if (!KnownEnvironment(environment)) return Fail(ERROR_INVALID_ENVIRONMENT);
  const std::string dir = PrintProcessorDirectory();
  if (dir.empty()) return Fail(ERROR_PATH_NOT_FOUND);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (needed) *needed = static_cast<uint32_t>(dir.size() + 1);
  if (!buffer || bufferSize < dir.size() + 1) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(buffer, dir.c_str(), dir.size() + 1);
  return true;
}

bool AddPrintProcessorA(const char* serverName, const char* environment, const char* pathName,
                        const char* processorName) {
  ScopedStateLock lock;
  if (!SpoolerRunning()) return false;
  if ((serverName && *serverName) || !pathName || !*pathName || !processorName || !*processorName)
    return Fail(ERROR_INVALID_PARAMETER);
  if (!KnownEnvironment(environment)) return Fail(ERROR_INVALID_ENVIRONMENT);
  if (std::strpbrk(pathName, "/\\")) return Fail(ERROR_INVALID_PARAMETER);  // a file of the directory
  std::error_code ec;
  if (!fs::is_regular_file(PrintProcessorDirectory() + "/" + pathName, ec)) return Fail(ERROR_MOD_NOT_FOUND);
  StateFile processors = LoadProcessors();
  if (processors.Find(processorName)) return Fail(ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED);
  StateSection& s = processors.FindOrAdd(processorName);
  s.Set("Library", pathName);
  s.Set("Environment", environment && *environment ? environment : "Windows NT x86");
  s.Set("Datatypes", "RAW,NT EMF 1.008");
  return processors.Save(ProcessorsFile(), "print processors") || Fail(ERROR_WRITE_FAULT);
}

bool DeletePrintProcessorA(const char* serverName, const char* environment, const char* processorName) {
  ScopedStateLock lock;
  if (!SpoolerRunning()) return false;
  if ((serverName && *serverName) || !processorName) return Fail(ERROR_INVALID_PARAMETER);
  if (!KnownEnvironment(environment)) return Fail(ERROR_INVALID_ENVIRONMENT);
  StateFile processors = LoadProcessors();
  if (!processors.Find(processorName) || EqualsNoCase(processorName, "winprint"))
    return Fail(ERROR_UNKNOWN_PRINTPROCESSOR);
  if (PrinterInUse("pPrintProcessor", processorName)) return Fail(ERROR_BUSY);
  processors.Erase(processorName);
  return processors.Save(ProcessorsFile(), "print processors") || Fail(ERROR_WRITE_FAULT);
}

bool InstallDriverFromPackage(const std::string& model, const std::string& environment, const std::string& version,
                              const std::string& packagePath) {
  ScopedStateLock lock;
  if (!SpoolerRunning()) return false;
  std::error_code ec;
  const std::string dir = PrinterDriverDirectory();
  fs::create_directories(dir, ec);
  const std::string installed = dir + "/" + fs::path(packagePath).filename().string();
  fs::copy_file(packagePath, installed, fs::copy_options::overwrite_existing, ec);
  if (ec) return Fail(ERROR_FILE_NOT_FOUND);
  StateFile drivers = StateFile::Load(DriversFile());
  StateSection& s = drivers.FindOrAdd(model);
  s.Set("Environment", environment);
  s.Set("Version", version);
  s.Set("InfFile", installed);
  return drivers.Save(DriversFile(), "printer drivers") || Fail(ERROR_WRITE_FAULT);
}

bool DeletePrinterDriverA(const char* serverName, const char* environment, const char* driverName) {
  ScopedStateLock lock;
  if (!SpoolerRunning()) return false;
  if ((serverName && *serverName) || !driverName) return Fail(ERROR_INVALID_PARAMETER);
  if (!KnownEnvironment(environment)) return Fail(ERROR_INVALID_ENVIRONMENT);
  StateFile drivers = StateFile::Load(DriversFile());
  if (!drivers.Find(driverName)) return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
  if (PrinterInUse("pDriverName", driverName)) return Fail(ERROR_PRINTER_DRIVER_IN_USE);
  drivers.Erase(driverName);
  return drivers.Save(DriversFile(), "printer drivers") || Fail(ERROR_WRITE_FAULT);
}

bool SetDefaultPrinterA(const char* printerName) {
  ScopedStateLock lock;
  if (!SpoolerRunning()) return false;
  if (!printerName || !*printerName) return Fail(ERROR_INVALID_PRINTER_NAME);
  StateFile printers = StateFile::Load(PrintersFile());
  const StateSection* s = printers.Find(printerName);
  if (!s || s->Get("PendingDeletion") == "1") return Fail(ERROR_INVALID_PRINTER_NAME);
  return WriteProfileStringA("windows", "device", s->name + ",winspool," + s->Get("pPortName"));
}

std::optional<std::string> GetDefaultPrinterA() {
  StateFile win = StateFile::Load(WinIni());
  const StateSection* windows = win.Find("windows");
  if (!windows || !windows->Find("device")) return std::nullopt;
  std::string device = windows->Get("device");
  return device.substr(0, device.find(','));
}

bool WriteProfileStringA(const std::string& section, const std::string& key, const std::string& value) {
  ScopedStateLock lock;
  StateFile win = StateFile::Load(WinIni());
  win.FindOrAdd(section).Set(key, value);
  return win.Save(WinIni()) || Fail(ERROR_WRITE_FAULT);
}

void BroadcastSettingChange(const char*) { ++broadcasts; }
int SettingChangeBroadcasts() { return broadcasts; }

long AdvancedDocumentPropertiesA(const std::string&, HANDLE printer, const std::string& deviceName) {
  PrinterRecord record;
  if (!GetPrinter2(printer, record)) return -1;
  ShowMessageBox(DocumentSettingsText(record), deviceName + " 高级选项", MB_OK | MB_ICONINFORMATION);
  return IDOK;
}

bool ShowPrintingPreferences(HANDLE printer) {
  PrinterRecord record;
  if (!GetPrinter2(printer, record)) return false;
  ShowMessageBox(DocumentSettingsText(record), record.printerName.value_or("") + " 打印首选项",
                 MB_OK | MB_ICONINFORMATION);
  return true;
}

bool SubmitSpoolJob(HANDLE printer, const std::string& documentName, std::span<const uint8_t> spoolFile,
                    std::string* spoolPath) {
  const Handle* h = PrinterHandleOf(printer);
  if (!h || !SpoolerRunning()) return false;
  if (!(h->access & PRINTER_ACCESS_USE)) return Fail(ERROR_ACCESS_DENIED);
  PrinterRecord record;
  if (!GetPrinter2(printer, record)) return false;
  // A spool directory of the printer's own must exist (a Windows path such as "C:\WINNT" does not
  // here); only the spooler's own folder is made when missing.
  std::error_code ec;
  std::string dir;
  if (auto own = RegistryString(HKEY_LOCAL_MACHINE, PrinterRegistryKey(h->name), "SpoolDirectory")) {
    dir = *own;
  } else {
    dir = SystemStatePath("spool/PRINTERS");
    fs::create_directories(dir, ec);
  }
  if (dir.empty() || dir.front() != '/' || !fs::is_directory(dir, ec)) return Fail(ERROR_PATH_NOT_FOUND);

  unsigned number = 1;
  {
    ScopedStateLock lock;  // two jobs never get one number
    StateFile state = StateFile::Load(StatePath("spooler.ini"));
    StateSection& jobs = state.FindOrAdd("Jobs");
    try {
      number = static_cast<unsigned>(std::stoul(jobs.Get("NextJobId", "1")));
    } catch (...) {
    }
    jobs.Set("NextJobId", std::to_string(number + 1));
    state.Save(StatePath("spooler.ini"), "spooler");
  }

  char name[32];
  std::snprintf(name, sizeof name, "%05u", number);
  const std::string path = dir + "/" + name + ".spl";
  const std::string partial = dir + "/" + name + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(spoolFile.data()), static_cast<std::streamsize>(spoolFile.size()));
    if (!out.flush()) {
      fs::remove(partial, ec);
      return Fail(ERROR_WRITE_FAULT);
    }
  }
  fs::rename(partial, path, ec);  // the job program looks for *.spl: it must never see half a file
  if (ec) return Fail(ERROR_WRITE_FAULT);
  if (spoolPath) *spoolPath = path;
  RunPrintProcessor(record.printProcessor.value_or("winprint"), documentName, path);
  return true;
}

bool PrinterExists(const std::string& name) { return StateFile::Load(PrintersFile()).Find(name) != nullptr; }
bool PortExists(const std::string& name) { return LoadPorts().Find(name) != nullptr; }
bool PrintProcessorExists(const std::string& name) { return LoadProcessors().Find(name) != nullptr; }
bool PrinterDriverExists(const std::string& name) { return StateFile::Load(DriversFile()).Find(name) != nullptr; }

}  // namespace velto::platform

namespace velto::platform {

// This platform's spooler takes the program's own environment.
std::optional<std::string> NativePrintEnvironment() { return std::nullopt; }

}  // namespace velto::platform
