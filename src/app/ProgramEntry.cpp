// The program's entry on systems whose arguments arrive as the process's own UTF-8 vector; the
// command line a Windows process would see is rebuilt from them.

#include "app/Program.h"

int main(int argc, char** argv) {
  return vellumor::app::RunProgram(argc, argv, std::nullopt);
}
