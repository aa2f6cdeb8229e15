#!/usr/bin/env bash
# Fails when a file of src/ includes what its layer must not see (docs/ARCHITECTURE.md): a layer
# above it, the other system's realisation of the seams, or a header of the operating system
# outside the places that talk to it (platform/, the CUPS backend, the Windows-only */win32/
# folders). The build already refuses headers of libraries a target does not link; this also
# holds the rules the libraries' links do not express, and answers before anything is compiled.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layers each layer may include ("widgets" are the parts of src/ui and src/ui/win32 that the
# updater shares: the renderer of window descriptions and its dialog base; "dialog-model" the description types and
# view of src/ui/model that the updater's windows share with the program's, "ui-model" the rest).
declare -A allowed=(
  [base]="base"
  [platform]="base platform"
  [registry]="base platform registry"
  [settings]="base platform registry settings"
  [convert]="base platform registry settings convert"
  [printer]="base platform printer"
  [agent]="base platform agent"
  [backend]="base platform printer agent backend"
  [app]="base platform registry settings convert printer agent app updater-export"
  [dialog-model]="base dialog-model"
  [ui-model]="base platform registry settings convert app dialog-model ui-model"
  [widgets]="base platform dialog-model widgets"
  [ui]="base platform registry settings convert app dialog-model ui-model widgets ui"
  [updater]="base platform registry dialog-model widgets updater updater-export"
  [monitor]="base platform registry settings convert monitor"
)

# Folders whose code runs on POSIX systems only, and the realisation of the seams they may use.
posix_only="platform agent backend"

# The C++ standard library: every file may include it.
standard=" algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono
  cinttypes climits clocale cmath codecvt compare complex concepts condition_variable coroutine csetjmp csignal
  cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception execution filesystem
  format forward_list fstream functional future initializer_list iomanip ios iosfwd iostream istream iterator latch
  limits list locale map memory memory_resource mutex new numbers numeric optional ostream queue random ranges ratio
  regex scoped_allocator semaphore set shared_mutex source_location span sstream stack stdexcept stop_token
  streambuf string string_view syncstream system_error thread tuple type_traits typeindex typeinfo unordered_map
  unordered_set utility valarray variant vector version "
standard=" $(echo $standard) "

# The layer a file of src/ (or a header it includes) belongs to, in REPLY.
layer_of() {
  case "$1" in
    ui/BitmapBackgroundDialog.* | ui/DialogUnits.* | ui/DialogWindow.* | ui/IconButton.*) REPLY=widgets ;;
    ui/win32/BitmapBackground.* | ui/win32/ControlText.h | ui/win32/DialogTemplate.* | ui/win32/Hyperlink.* | \
      ui/win32/IconButton.* | ui/win32/ModuleImages.* | ui/win32/NativeDialog.*) REPLY=widgets ;;
    ui/model/ChoiceList.* | ui/model/DialogDescription.* | ui/model/DialogView.h | ui/model/LinkOpenError.*)
      REPLY=dialog-model ;;
    ui/model/*) REPLY=ui-model ;;
    updater/Update.h) REPLY=updater-export ;;
    *) REPLY="${1%%/*}" ;;
  esac
}

include_line='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'

problems=0
report() {
  echo "$1: $2" >&2
  problems=$((problems + 1))
}

checked=""
while IFS=: read -r file line_number line; do
  path="${file#src/}"
  layer_of "$path"
  layer="$REPLY"
  [ "$layer" = updater-export ] && layer=updater
  if [ -z "${allowed[$layer]+set}" ]; then
    if [[ "$checked" != *" $layer "* ]]; then
      report "$file" "is in no known layer; add src/${path%%/*} to scripts/check-includes.sh and docs/ARCHITECTURE.md"
      checked+=" $layer "
    fi
    continue
  fi
  [[ "$line" =~ $include_line ]] || continue
  delimiter="${BASH_REMATCH[1]}"
  header="${BASH_REMATCH[2]}"
  where="$file:$line_number"
  if [ "$delimiter" = '"' ]; then
    layer_of "$header"
    included="$REPLY"
    if [[ " ${allowed[$layer]} " != *" $included "* ]]; then
      report "$where" "$layer may not include $header (layer $included)"
    elif [[ "$header" == platform/posix/* && " $posix_only " != *" $layer "* ]]; then
      report "$where" "$header is the POSIX realisation; $layer runs on every system"
    elif [[ "$header" == platform/win32/* && "$layer" != platform && "$path" != */win32/* ]]; then
      report "$where" "$header is the Windows realisation; only platform/ and */win32/ use it"
    fi
    continue
  fi
  # <...>: the standard library anywhere; the toolkit in the windows; the engine and PDF libraries
  # in the conversion; the system's own headers only where the system is spoken to.
  if [[ "$standard" == *" $header "* ]]; then
    continue
  fi
  case "$layer:$header" in
    ui:Q* | widgets:Q* | updater:Q* | convert:ghostscript/* | convert:qpdf/*) continue ;;
  esac
  if [[ "$layer" == platform || "$layer" == backend || "$path" == */win32/* ]]; then
    continue
  fi
  report "$where" "$layer may not include the system header <$header> (only platform/, backend/ and */win32/ do)"
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
  xargs -0 grep -Hn -E '^[[:space:]]*#[[:space:]]*include')

if ((problems)); then
  echo "check-includes: $problems include(s) break the layering (docs/ARCHITECTURE.md)" >&2
  exit 1
fi
echo "check-includes: every include of src/ keeps to its layer"
