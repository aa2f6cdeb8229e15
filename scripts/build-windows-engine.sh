#!/usr/bin/env bash
# Builds Ghostscript's DLL for Windows, the engine vellumor.exe converts with: gsdll64.dll for
# x86_64, gsdll32.dll for i686, from Debian's own Ghostscript source package, cross-compiled with
# MinGW-w64. Usage: build-windows-engine.sh [x86_64|i686] [PREFIX] (PREFIX defaults to
# build-windows-<arch>/engine); the DLL goes to PREFIX/bin, the source package's example jobs to
# PREFIX/examples (the tests convert them). A stamp there makes a second run with the same
# sources and options return at once.
#
# What the DLL holds:
# - the libraries Debian's Ghostscript source leaves out, from their own Debian source packages:
#   FreeType, libpng, zlib, Little CMS 2 and jbig2dec compiled by Ghostscript's own makefiles
#   (their sources beside Ghostscript's, where its configure looks for them), libjpeg-turbo and
#   OpenJPEG built as static libraries first (Ghostscript's makefiles expect IJG's libjpeg and a
#   pre-configured OpenJPEG);
# - the init files and the standard fonts compiled in (COMPILE_INITS), so that it needs no file
#   beside it and no Ghostscript installation; no fontconfig;
# - the pdfwrite device only: the program converts with nothing else;
# - the API exported as Ghostscript's own Windows DLL exports it: undecorated names, __stdcall.
# - Ghostscript's own Windows platform files (scripts/ghostscript-windows-platform.mak), not its
#   POSIX ones: file names and environment in UTF-8, through the C runtime's wide calls.
# The C runtime of the system (msvcrt) is its only dependency besides the system's own DLLs.
set -euo pipefail

arch="${1:-x86_64}"
case "$arch" in
  x86_64) dll=gsdll64.dll ;;
  i686) dll=gsdll32.dll ;;
  *)
    echo "usage: $0 [x86_64|i686] [PREFIX]" >&2
    exit 2
    ;;
esac
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
prefix="${2:-$root/build-windows-$arch/engine}"
# shellcheck source=windows-sources.sh
. "$root/scripts/windows-sources.sh"
triple="$arch-w64-mingw32"
toolchain="$root/cmake/toolchains/$triple.cmake"

ghostscript_source=ghostscript=10.0.0~dfsg-11+deb12u8
# Compiled by Ghostscript's makefiles, each under the folder name its configure looks for.
declare -A local_sources=(
  [freetype]=freetype=2.12.1+dfsg-5+deb12u4
  [libpng]=libpng1.6=1.6.39-2+deb12u5
  [zlib]=zlib=1:1.2.13.dfsg-1
  [lcms2]=lcms2=2.14-2+deb12u1
  [jbig2dec]=jbig2dec=0.19-3
)
openjpeg_source=openjpeg2=2.5.0-2+deb12u3
all_sources=("$ghostscript_source" "${local_sources[@]}" "$openjpeg_source" "$windows_jpeg_source")

stamp="$prefix/built-from"
platform_makefile="$root/scripts/ghostscript-windows-platform.mak"
wanted="${all_sources[*]} $(cat "$0" "$root/scripts/windows-sources.sh" "$platform_makefile" "$toolchain" \
  "$root/cmake/toolchains/MinGW.cmake" |
  sha256sum | cut -d' ' -f1)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ] && [ -f "$prefix/bin/$dll" ]; then
  echo "Windows ($arch) engine $prefix/bin/$dll is up to date"
  exit 0
fi

started=$SECONDS
fetch_sources "${all_sources[@]}"
work="$prefix/build"
deps="$work/deps"
rm -rf "$prefix"
mkdir -p "$work" "$prefix/bin"
# A compiler launcher (ccache) where the CMake builds have one; CI builds without.
launcher="${CMAKE_C_COMPILER_LAUNCHER:-}"

build_windows_jpeg "$toolchain" "$work/libjpeg-turbo" "$deps"
cmake -S "$(unpacked "$openjpeg_source")" -B "$work/openjpeg" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
  -DBUILD_CODEC=OFF -DBUILD_PKGCONFIG_FILES=ON
cmake --build "$work/openjpeg" -j2 --target openjp2
cmake --install "$work/openjpeg"

# Ghostscript builds inside its source tree: a copy per architecture, without the other
# interpreters of the source package (PCL, XPS, GhostPDL), which its makefiles would build too.
gs="$work/ghostscript"
mkdir -p "$gs"
tar -C "$(unpacked "$ghostscript_source")" --exclude=./pcl --exclude=./xps --exclude=./gpdl --exclude=./doc -cf - . |
  tar -C "$gs" -xf -
for name in "${!local_sources[@]}"; do
  ln -s "$(unpacked "${local_sources[$name]}")" "$gs/$name"
done
# Ghostscript's DLL for Windows exports its API with the __stdcall convention (callbacks as well),
# and programs made for it call it so; only a MinGW build of it would switch the API to __cdecl,
# which breaks the caller's stack on x86. The names are exported undecorated (--kill-at below).
sed -i '/^# ifdef __MINGW32__$/,/^# endif$/d' "$gs/psi/iapi.h"
if grep -q __MINGW32__ "$gs/psi/iapi.h"; then
  echo "psi/iapi.h changed: the MinGW calling convention block was not found" >&2
  exit 1
fi

# Ghostscript declares its API and callbacks __stdcall only where it knows it is built for
# Windows, which it tells from __WINDOWS__ (a Visual C++ build defines it); without it some of
# its files would call the program's callbacks as __cdecl. x64 has one convention only.
# On x86 GCC computes with the x87 unit by default, which keeps intermediate results at 80 bits:
# coordinates then round differently than on x64 and in the Linux engine, and pages come out
# shifted by a pixel here and there. SSE2, which every processor Windows still runs on has,
# computes as they do.
windows_flags=
[ "$arch" = x86_64 ] || windows_flags="-D__WINDOWS__ -msse2 -mfpmath=sse"

# Its Windows platform files are written for Visual C++; MinGW's C runtime headers declare
# snprintf already, and do not declare the popen replacement the file defines further down.
# Its stat fills a struct _stat64, which is what "struct stat" is with Visual C++ and with MinGW
# on x64; with MinGW on x86 and the system's C runtime, the times in "struct stat" are 32-bit,
# and the wide stat that fills it is _wstati64 (on x64 another name for _wstat64).
for line in '#if defined(_MSC_VER) && _MSC_VER>=1900 /* VS 2014 and later have (finally) snprintf */' \
  '/* limits */' 'int gp_stat_impl(const gs_memory_t *mem, const char *path, struct _stat64 *buf)' \
  '    ret = _wstat64(uni, buf);'; do
  grep -qxF "$line" "$gs/base/gp_mswin.c" || {
    echo "base/gp_mswin.c changed: \"$line\" was not found" >&2
    exit 1
  }
done
sed -i -e 's|^#if defined(_MSC_VER) && _MSC_VER>=1900 /\*|#if (defined(_MSC_VER) \&\& _MSC_VER>=1900) \|\| defined(__MINGW32__) /*|' \
  -e 's|^/\* limits \*/$|FILE *mswin_popen(const char *cmd, const char *mode);\n&|' \
  -e 's|^\(int gp_stat_impl(.*\)struct _stat64 \*buf)$|\1struct stat *buf)|' \
  -e 's|^    ret = _wstat64(uni, buf);$|    ret = _wstati64(uni, buf);|' "$gs/base/gp_mswin.c"

cd "$gs"
# The package's configure script predates its own patches (Debian's build regenerates it, as here):
# one of them is what lets configure cross-build at all.
autoconf
# The build-time tools (genarch, mkromfs...) run here, so they are built with the machine's own
# compiler (CCAUX); the target's arch.h is the one Ghostscript ships for Windows.
PKGCONFIG=pkg-config PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig" \
  CC="${launcher:+$launcher }$triple-gcc-posix" CCAUX="${launcher:+$launcher }gcc" \
  CPPFLAGS="-I$deps/include -DOPJ_STATIC $windows_flags" LDFLAGS="-L$deps/lib -static-libgcc" \
  ./configure --host="$triple" --build="$(gcc -dumpmachine)" \
  --with-arch_h="$gs/arch/windows-$([ "$arch" = x86_64 ] && echo x64 || echo x86)-msvc.h" \
  --with-drivers=pdfwrite --disable-contrib --disable-fontconfig --disable-dbus --disable-cups --disable-gtk \
  --disable-threading --without-x --without-libidn --without-libpaper --without-ijs --without-libtiff \
  --without-tesseract --without-pdftoraster --without-urf --without-cal --with-libiconv=no --enable-mkromfs-quiet \
  >"$work/configure.log"
grep -E 'checking for local (freetype|png|zlib|lcms2|jbig2dec)|for system lcms2|OpenJPEG|jpeg' "$work/configure.log" || true
# The Unix makefiles would build the POSIX platform files, which open files through the C
# runtime's narrow calls: file names in the ANSI code page, not the UTF-8 the API takes. The
# Windows platform files instead (GSPLATFORM below); they can also send a job to a printer
# through the spooler (winspool).
cp "$platform_makefile" base/windows-platform.mak
# shellcheck disable=SC2016 # a make variable, for make to expand
echo 'include $(GLSRCDIR)/windows-platform.mak' >>Makefile
# jbig2dec's header defines "inline" away when it is no macro (it is a keyword in C99), which
# turns the inline functions of MinGW's C headers into definitions in every file of it; an
# "inline" macro that stands for itself keeps the keyword.
make -j2 so-only GSPLATFORM=mswin32_ XTRALIBS=-lwinspool XLDFLAGS="-Wl,--kill-at" \
  JBIG2_CFLAGS="-DHAVE_STDINT_H=1 -Dinline=inline" >"$work/make.log" 2>&1 || {
  tail -40 "$work/make.log" >&2
  exit 1
}
built="$(find sobin -name 'libgs-*.dll' -type f | head -1)"
[ -n "$built" ] || {
  echo "the build made no DLL in sobin/" >&2
  exit 1
}
"$triple-strip" -o "$prefix/bin/$dll" "$built"
# The source package's example jobs, for the tests that compare the DLL's PDFs with Linux's.
mkdir -p "$prefix/examples"
cp "$(unpacked "$ghostscript_source")"/examples/*.ps "$(unpacked "$ghostscript_source")"/examples/*.eps "$prefix/examples/"
cd "$root"
rm -rf "$work"
echo "$wanted" >"$stamp"
echo "Windows ($arch) engine $prefix/bin/$dll, $(stat -c %s "$prefix/bin/$dll") bytes, built in $((SECONDS - started)) s"
