#pragma once
// The MONITOR2 table of the port "VellumorPort:" (MonitorTable.cpp says what each entry does).

#include "monitor/win32/SpoolerJob.h"
#include "platform/win32/WindowsApi.h"
// After windows.h: they rely on its types and version macros.
#include <sdkddkver.h>
#include <winspool.h>
// After winspool.h, whose types it uses.
#include <winsplp.h>

namespace vellumor::monitor {

// The table, its jobs reached through `spooler`; `monitor` receives the monitor's handle.
LPMONITOR2 PrintMonitorTable(SpoolerJobSource spooler, PHANDLE monitor);

}  // namespace vellumor::monitor
