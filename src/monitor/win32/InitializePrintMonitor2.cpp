// vellumor-monitor.dll's one export: the spooler's way in to the port's table.

#include "monitor/win32/MonitorTable.h"

extern "C" __declspec(dllexport) LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE monitor) {
  if (init == nullptr || monitor == nullptr) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return vellumor::monitor::PrintMonitorTable(vellumor::monitor::OpenSpoolerJob, monitor);
}
