// The print monitor that owns the port "VellumorPort:". The spooler loads vellumor-monitor.dll
// (InitializePrintMonitor2, its only export) and calls the functions of the MONITOR2 table below:
// for each job on the port, StartDocPort starts the Vellumor program for the user who printed,
// WritePort hands it the job, EndDocPort ends the job. The Xcv functions let the installer and the
// system's printer windows add, find and remove the port.
//
// The spooler may call for several ports and jobs on threads of its own; every handle given out
// here is used by one caller at a time, and the registry is the only state they share.

#include "monitor/win32/MonitorTable.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "monitor/win32/MonitorKey.h"
#include "monitor/win32/PortJob.h"

namespace vellumor::monitor {
namespace {

SpoolerJobSource gSpooler = OpenSpoolerJob;

struct Port {
  std::wstring name;
  std::unique_ptr<PortJob> job;
};

struct XcvPort {
  ACCESS_MASK access{0};
};

// The spooler does not let exceptions through; one that reached it would end the spooler.
template <typename Body>
BOOL Guarded(Body body) {
  try {
    return body() ? TRUE : FALSE;
  } catch (const std::bad_alloc&) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    ::SetLastError(ERROR_INTERNAL_ERROR);
  }
  return FALSE;
}

const wchar_t kDescription[] = L"Vellumor PDF";

BOOL WINAPI EnumPorts(HANDLE, LPWSTR name, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed,
                      LPDWORD returned) {
  return Guarded([&] {
    *returned = 0;
    if (name != nullptr && *name != L'\0') {
      ::SetLastError(ERROR_INVALID_NAME);  // only this computer's ports are known here
      return false;
    }
    if (level != 1 && level != 2) {
      ::SetLastError(ERROR_INVALID_LEVEL);
      return false;
    }
    const std::vector<std::wstring> ports = InstalledPorts();
    const std::size_t entrySize = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    std::size_t size = ports.size() * entrySize;
    for (const std::wstring& port : ports) {
      size += (port.size() + 1) * sizeof(wchar_t);
      if (level == 2) {
        size += sizeof(kMonitorName) + sizeof(kDescription);
      }
    }
    *needed = static_cast<DWORD>(size);
    if (size > bufferSize || (size > 0 && buffer == nullptr)) {
      ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return false;
    }
    // The entries first, their texts packed after them.
    BYTE* text = buffer + ports.size() * entrySize;
    const auto place = [&text](const wchar_t* value, std::size_t bytes) {
      std::memcpy(text, value, bytes);
      auto* placed = reinterpret_cast<wchar_t*>(text);
      text += bytes;
      return placed;
    };
    for (std::size_t i = 0; i < ports.size(); ++i) {
      wchar_t* portName = place(ports[i].c_str(), (ports[i].size() + 1) * sizeof(wchar_t));
      if (level == 1) {
        reinterpret_cast<PORT_INFO_1W*>(buffer)[i] = PORT_INFO_1W{portName};
      } else {
        PORT_INFO_2W info{};
        info.pPortName = portName;
        info.pMonitorName = place(kMonitorName, sizeof(kMonitorName));
        info.pDescription = place(kDescription, sizeof(kDescription));
        info.fPortType = PORT_TYPE_WRITE;
        reinterpret_cast<PORT_INFO_2W*>(buffer)[i] = info;
      }
    }
    *returned = static_cast<DWORD>(ports.size());
    return true;
  });
}

BOOL WINAPI OpenPort(HANDLE, LPWSTR name, PHANDLE handle) {
  return Guarded([&] {
    if (name == nullptr || !PortInstalled(name)) {
      ::SetLastError(ERROR_UNKNOWN_PORT);
      return false;
    }
    *handle = new Port{name, nullptr};
    return true;
  });
}

BOOL WINAPI StartDocPort(HANDLE handle, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo) {
  return Guarded([&] {
    auto* port = static_cast<Port*>(handle);
    if (port->job) {
      port->job->Abandon();  // a job never ended must not be taken for whole
    }
    // Levels 1 and 2 both begin with the document's name.
    const wchar_t* document =
        (level == 1 || level == 2) && docInfo != nullptr ? reinterpret_cast<DOC_INFO_1W*>(docInfo)->pDocName : nullptr;
    port->job = PortJob::Start(gSpooler, printerName, jobId, document);
    return port->job != nullptr;
  });
}

BOOL WINAPI WritePort(HANDLE handle, LPBYTE buffer, DWORD size, LPDWORD written) {
  return Guarded([&] {
    auto* port = static_cast<Port*>(handle);
    *written = 0;
    if (!port->job) {
      ::SetLastError(ERROR_INVALID_HANDLE);  // no StartDocPort, or it failed
      return false;
    }
    return port->job->Write(buffer, size, written);
  });
}

BOOL WINAPI ReadPort(HANDLE, LPBYTE, DWORD, LPDWORD read) {
  *read = 0;  // the port has nothing to say back
  return TRUE;
}

BOOL WINAPI EndDocPort(HANDLE handle) {
  return Guarded([&] {
    auto* port = static_cast<Port*>(handle);
    if (port->job) {
      port->job->End();
      port->job.reset();
    }
    return true;
  });
}

BOOL WINAPI ClosePort(HANDLE handle) {
  return Guarded([&] {
    auto* port = static_cast<Port*>(handle);
    if (port->job) {
      port->job->Abandon();
    }
    delete port;
    return true;
  });
}

BOOL WINAPI XcvOpenPort(HANDLE, LPCWSTR, ACCESS_MASK access, PHANDLE handle) {
  return Guarded([&] {
    *handle = new XcvPort{access};
    return true;
  });
}

// What the installer and the system's printer windows ask: "AddPort" and "DeletePort" with the
// port's name (administrators only), "PortExists" with a name, answered as a DWORD.
DWORD WINAPI XcvDataPort(HANDLE handle, LPCWSTR command, PBYTE input, DWORD inputSize, PBYTE output, DWORD outputSize,
                         PDWORD needed) {
  try {
    const auto* xcv = static_cast<XcvPort*>(handle);
    if (needed != nullptr) {
      *needed = 0;
    }
    const std::wstring_view what = command != nullptr ? command : L"";
    std::wstring name;
    if (input != nullptr && inputSize >= sizeof(wchar_t)) {
      name.assign(reinterpret_cast<const wchar_t*>(input), inputSize / sizeof(wchar_t));
      name.resize(std::wcslen(name.c_str()));
    }
    if (what == L"AddPort" || what == L"DeletePort") {
      if ((xcv->access & SERVER_ACCESS_ADMINISTER) == 0) {
        return ERROR_ACCESS_DENIED;
      }
      return what == L"AddPort" ? InstallPort(name) : RemovePort(name);
    }
    if (what == L"PortExists") {
      if (needed != nullptr) {
        *needed = sizeof(DWORD);
      }
      if (output == nullptr || outputSize < sizeof(DWORD)) {
        return ERROR_INSUFFICIENT_BUFFER;
      }
      const DWORD exists = PortInstalled(name) ? 1 : 0;
      std::memcpy(output, &exists, sizeof(exists));
      return ERROR_SUCCESS;
    }
    // "MonitorUI" among them: the port has nothing to configure, so there is no window for it.
    return ERROR_NOT_SUPPORTED;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

BOOL WINAPI XcvClosePort(HANDLE handle) {
  delete static_cast<XcvPort*>(handle);
  return TRUE;
}

VOID WINAPI Shutdown(HANDLE) {}

MONITOR2 MakeTable() {
  MONITOR2 table{};
  table.cbSize = sizeof(MONITOR2);
  table.pfnEnumPorts = EnumPorts;
  table.pfnOpenPort = OpenPort;
  table.pfnStartDocPort = StartDocPort;
  table.pfnWritePort = WritePort;
  table.pfnReadPort = ReadPort;
  table.pfnEndDocPort = EndDocPort;
  table.pfnClosePort = ClosePort;
  table.pfnXcvOpenPort = XcvOpenPort;
  table.pfnXcvDataPort = XcvDataPort;
  table.pfnXcvClosePort = XcvClosePort;
  table.pfnShutdown = Shutdown;
  return table;
}

MONITOR2 gTable = MakeTable();

}  // namespace

LPMONITOR2 PrintMonitorTable(SpoolerJobSource spooler, PHANDLE monitor) {
  gSpooler = spooler;
  // The monitor keeps no state of its own beyond the registry; the handle only has to be there.
  *monitor = reinterpret_cast<HANDLE>(&gTable);
  return &gTable;
}

}  // namespace vellumor::monitor
