#!/usr/bin/env bash
# Builds the console and the command-line tool for 64-bit Windows and packs them twice, as
# build-windows/KT_5270-windows-x64.zip and as the installer build-windows/KT_5270-windows-x64.msi:
#   1. fetches the source of Debian's Qt base module, the version of the installed host tools;
#   2. cross-builds Core, Gui, Widgets, the Windows platform plugin and the Windows style with
#      mingw-w64 into a cache outside the tree ($KT5270_WINDOWS_CACHE, default
#      ~/.cache/kt5270-windows), once: later runs reuse it;
#   3. renders the console's icon on the host, as an .ico for the programs' resources;
#   4. builds KT_5270.exe and kt5270.exe from this tree, the console against that Qt;
#   5. packs them with the Qt DLLs, plugins, translations and MinGW runtime the console loads,
#      laid out as windeployqt would, into the zip, and the same folder into the installer
#      (packaging/windows/make-msi.sh).
# The Qt build runs at the lowest priority on two jobs (KT5270_WINDOWS_JOBS to change).
# With --if-qt-cached it builds nothing unless that Qt is already in the cache, and then exits
# with status 3 (the test command uses this: the Qt build takes far too long for it); with
# --qt-cached it only tells, by its status, 0 or 3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

cache=${KT5270_WINDOWS_CACHE:-$HOME/.cache/kt5270-windows}
jobs=${KT5270_WINDOWS_JOBS:-2}
target=x86_64-w64-mingw32
build="$root/build-windows"

# Qt for Windows is built from the source of the installed host tools' version, into its own
# folder of the cache.
locate_qt()
{
  qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || echo none)
  qt="$cache/qt-$qt_version"
  qt_stamp="$qt/kt5270-qt-options.txt"
}

# apt-get source needs deb-src lines for the suites the machine installs from.
enable_debian_sources()
{
  apt-get indextargets --format '$(TARGET_OF)' 2>/dev/null | grep -qx deb-src && return
  local list=/etc/apt/sources.list.d/kt5270-deb-src.sources
  echo "== adding $list"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Created-By: Packages' |
    grep debian | sort -u | while read -r uri suite component; do
      printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\nSigned-By: %s\n\n' \
        "$uri" "$suite" "$component" /usr/share/keyrings/debian-archive-keyring.gpg
    done | $sudo tee "$list" >/dev/null
  $sudo apt-get update -qq
}

fetch_qt_source()
{
  local upstream=${qt_version%-*}
  source_dir="$cache/source/qt6-base-$upstream"
  [ -f "$source_dir/CMakeLists.txt" ] && return
  enable_debian_sources
  mkdir -p "$cache/source"
  (cd "$cache/source" && apt-get source -qq "qt6-base=$qt_version")
}

# Only what the console loads. Host tools (moc, rcc, uic) are Debian's, of the same version.
qt_options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=OFF
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF
  -DFEATURE_androiddeployqt=OFF -DFEATURE_pkg_config=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
  -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
  # Debian's source leaves out the tablet headers (wintab) the plugin would compile against.
  -DFEATURE_tabletevent=OFF
)

qt_is_cached() { [ -f "$qt_stamp" ] && [ "$(cat "$qt_stamp")" = "${qt_options[*]}" ]; }

build_qt()
{
  qt_is_cached && return
  fetch_qt_source
  echo "== cross-building Qt $qt_version into $qt (log: $cache/qt-build.log)"
  local started=$SECONDS qt_build="$cache/qt-build"
  # The toolchain file is copied: Qt's installed CMake files keep pointing at it.
  mkdir -p "$qt"
  cp "$root/cmake/mingw-w64.cmake" "$qt/mingw-w64.cmake"
  if ! {
    cmake -S "$source_dir" -B "$qt_build" -G Ninja -Wno-dev \
      -DCMAKE_TOOLCHAIN_FILE="$qt/mingw-w64.cmake" -DCMAKE_INSTALL_PREFIX="$qt" "${qt_options[@]}" &&
      nice -n 19 cmake --build "$qt_build" --parallel "$jobs" &&
      cmake --install "$qt_build"
  } >"$cache/qt-build.log" 2>&1; then
    tail -30 "$cache/qt-build.log"
    exit 1
  fi
  echo "${qt_options[*]}" >"$qt_stamp"
  echo "== Qt built in $(((SECONDS - started) / 60)) min"
}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The console's own drawing at the sizes Windows shows, from the PNGs of the release build (the
# Debian package's): built first where they are missing, and otherwise left as they are, since
# the suite's checks may be using that build while this runs.
render_icon()
{
  echo "== rendering the icon"
  local pictures="$root/build-release/packaging/icons"
  [ -f "$pictures/256/KT_5270.png" ] || "$root/scripts/build-configuration.sh" release kt5270-icons >/dev/null
  mkdir -p "$build"
  icon="$build/KT_5270.ico"
  convert "$pictures"/{16,32,48,256}/KT_5270.png "$icon"
}

build_programs()
{
  echo "== building KT_5270.exe and kt5270.exe"
  cmake -S "$root" -B "$build/cmake" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_UNITY_BUILD=ON -DKT_BUILD_TESTS=OFF -DKT_WINDOWS_ICON="$icon" "${launcher[@]}" >/dev/null
  cmake --build "$build/cmake" --target KT_5270 kt5270 kt5270-console-check
}

# The folder windeployqt would make: the exe, Qt's DLLs, the platform and style plugins, Qt's
# Chinese texts for its standard buttons, and the MinGW runtime.
pack()
{
  local stage="$build/KT_5270" zip="$build/KT_5270-windows-x64.zip"
  rm -rf "$stage" "$zip"
  mkdir -p "$stage/platforms" "$stage/styles" "$stage/translations"
  cp "$build/cmake/src/app/KT_5270.exe" "$build/cmake/src/cli/kt5270.exe" "$stage/"
  cp "$qt"/bin/Qt6{Core,Gui,Widgets}.dll "$stage/"
  cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
  cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
  cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$stage/translations/"
  local library
  for library in libstdc++-6.dll libgcc_s_seh-1.dll; do
    cp "$($target-g++-posix -print-file-name=$library)" "$stage/"
  done
  cp "/usr/$target/lib/libwinpthread-1.dll" "$stage/"
  # Debian's MinGW runtime carries its debugging symbols; nobody debugs from the zip.
  find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec $target-strip --strip-unneeded {} +

  # Every DLL that is not part of Windows must be in the folder.
  local missing
  missing=$(find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec $target-objdump -p {} + |
    sed -n 's/^\s*DLL Name: //p' | grep -E '^(Qt6|lib)' | sort -u |
    while read -r dll; do [ -e "$stage/$dll" ] || echo "$dll"; done)
  [ -z "$missing" ] || { echo "not in the package: $missing" >&2; exit 1; }

  (cd "$build" && zip -qr9 "$zip" KT_5270)
  echo "== $zip: $(du -k "$zip" | cut -f1) KiB"
}

# The same folder as an installer, with the project's version.
pack_installer()
{
  local msi="$build/KT_5270-windows-x64.msi" version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/cmake/CMakeCache.txt")
  "$root/packaging/windows/make-msi.sh" "$build/KT_5270" "$version" "$icon" "$msi"
  echo "== $msi: $(du -k "$msi" | cut -f1) KiB, version $version"
}

locate_qt
if [ "${1:-}" = --qt-cached ]; then
  qt_is_cached && exit 0
  exit 3
fi
if [ "${1:-}" = --if-qt-cached ] && ! qt_is_cached; then
  echo "skipped, with the Wine checks of the Windows console, tool and installer: no Qt for Windows in $cache yet (scripts/build-windows.sh builds it once, in about 50 minutes on 2 cores)"
  exit 3
fi
"$root/scripts/install-deps.sh" --windows
locate_qt
mkdir -p "$cache"
started=$SECONDS
build_qt
render_icon
build_programs
pack
pack_installer
echo "== done in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
