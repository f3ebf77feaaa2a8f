#!/usr/bin/env bash
# The installer under Wine: silent install (signed), refusals before any page,
# files held open, upgrade over a running, a refusing and a hung host,
# downgrade, upgrade into another folder, removal (registered commands, with
# and without /PURGE), quorvane:// links, the wizard's pages, an update handed
# over by the host. Builds the signed installer with
# scripts/package.sh and a second one a patch version later, then runs each
# case in a Wine prefix of its own (lib.sh: the helpers; *_cases.sh: the
# cases by topic). A failed check prints the installer's own log.
#
#   tests/installer/installer_test.sh [CASE...]
#       cases: install upgrade uninstall folders disk integration symbols pages update
#       (disk mounts a tmpfs: root)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
source "$repo_root/scripts/lib/installer.sh"
cd "$repo_root"

cases=("$@")
((${#cases[@]})) || cases=(install upgrade uninstall folders disk integration symbols pages update)

# A font with Chinese glyphs, without which Wine draws (and measures) boxes.
install_missing "${build_packages[@]}" "${wine_packages[@]}" "${package_packages[@]}" \
  fonts-wqy-microhei || exit 1
ensure_display || exit 1

release_dir="$repo_root/build/windows-release"
work="$release_dir/installer-tests"
rm -rf "$work"
mkdir -p "$work/signing"

# A throw-away certificate authority and code-signing certificate; the PFX
# password goes through a file only.
(
  cd "$work/signing" || exit 1
  umask 077
  openssl rand -hex 16 >password
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Quorvane test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign" &&
    openssl req -newkey rsa:2048 -nodes -keyout code.key -out code.csr \
      -subj "/CN=Quorvane AI test signing" &&
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
      >code.ext &&
    openssl x509 -req -in code.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
      -extfile code.ext -out code.pem &&
    openssl pkcs12 -export -inkey code.key -in code.pem -certfile ca.pem -out code.pfx \
      -passout file:password
) >/dev/null 2>&1 || { echo "cannot make the test certificate" && exit 1; }
# A wrong password stops the packaging before anything is built, and leaves
# no setup of an earlier build at the output path.
stale="$repo_root/build/windows/QuorvaneAI-$(
  sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-setup.exe"
mkdir -p "$(dirname "$stale")" && echo "an earlier build" >"$stale"
code=0
QUORVANE_SIGN_PASSWORD=wrong bash scripts/package.sh --sign "$work/signing/code.pfx" \
  >"$work/wrong-password.out" 2>&1 || code=$?
if ((code != 2)) || [[ -e "$stale" ]] || grep -q "building the release" "$work/wrong-password.out"; then
  echo "FAIL: packaging with a wrong password (exit $code) must stop first, with no setup left"
  exit 1
fi
# The password file named relative to the folder the packaging starts in.
(cd "$work/signing" &&
  QUORVANE_SIGN_PASSWORD_FILE=password run_quietly bash "$repo_root/scripts/package.sh" \
    --sign code.pfx) || exit 1

version="$(project_version "$release_dir")"
setup="$repo_root/build/windows/QuorvaneAI-$version-setup.exe"
next_version="${version%.*}.$((${version##*.} + 1))"
next_setup="$work/QuorvaneAI-$next_version-setup.exe"

# The next version: the same bundle with other application data, a library
# and a subfolder more, so that an upgrade shows in the files and a downgrade
# must remove them.
cp -r "$release_dir/bundle" "$work/next-bundle"
echo "application data of $next_version" >"$work/next-bundle/data/app.so"
cp "$work/next-bundle/flutter_windows.dll" "$work/next-bundle/extra_helper.dll"
mkdir "$work/next-bundle/locales"
echo "strings of $next_version" >"$work/next-bundle/locales/en-US.pak"
build_installer "$work/next-bundle" "$next_version" "$next_setup" || exit 1
# A version without a library that the versions before the manifest shipped.
slim_setup="$work/QuorvaneAI-slim-setup.exe"
cp -r "$work/next-bundle" "$work/slim-bundle"
rm "$work/slim-bundle/webview_windows_plugin.dll"
build_installer "$work/slim-bundle" "$next_version" "$slim_setup" || exit 1
probe="$work/installer_probe.exe"
x86_64-w64-mingw32-g++-posix -std=c++17 -municode -static -O1 -Wall -Wextra -Werror \
  -DUNICODE -D_UNICODE -I"$repo_root" "$repo_root"/tests/installer/{installer_probe,probe_dialogs,probe_process,probe_wizard}.cpp \
  -lversion -ladvapi32 -lgdi32 -o "$probe" || exit 1

for part in lib install_cases upgrade_cases uninstall_cases folder_cases disk_cases integration_cases \
  symbols_cases pages_cases update_cases; do
  source "$repo_root/tests/installer/$part.sh"
done

failed=()
for name in "${cases[@]}"; do
  "case_$name" || failed+=("$name")
  wineserver -k 2>/dev/null || true
done
finish_wine_on_virtual_display
if ((${#failed[@]})); then
  echo "installer tests FAILED: ${failed[*]}"
  exit 1
fi
echo "installer tests passed: ${cases[*]}"
