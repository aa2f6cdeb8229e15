#include "ui/Skin.h"

namespace vellumor::ui {

bool LoadSkin(std::string_view /*skinFile*/, std::string_view /*colourScheme*/) {
  return false;
}

}  // namespace vellumor::ui
