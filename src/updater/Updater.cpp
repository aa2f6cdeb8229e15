#include "updater/Updater.h"

#include <QApplication>
#include <QThread>

#include "updater/UpdaterStatusDialog.h"

namespace vellumor::updater {

int RunUpdate(const UpdateArguments& arguments, const UpdaterServices& services) {
  // Windows exist only with an application object, and only on its thread.
  const QApplication* application = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (application == nullptr || application->thread() != QThread::currentThread()) {
    return kUpdateNoWindow;
  }
  UpdaterStatusDialog status{arguments, services};
  return status.Run();
}

}  // namespace vellumor::updater
