// The entry point of libvellumor-ui.so: the program looks it up by name after loading the module.

#include "ui/QtFrontEnd.h"

extern "C" __attribute__((visibility("default"))) vellumor::app::FrontEnd* vellumor_create_front_end(int argc,
                                                                                                     char** argv) {
  return new vellumor::ui::QtFrontEnd(argc, argv);
}
