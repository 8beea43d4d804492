#!/bin/bash
# The release packages, tried out under Wine as a user would: scripts/package makes the installer
# and the portable zip, of this version and of an older one, with SHA256SUMS and the manifest for
# Windows' package manager, and signs all three programs when given a certificate; the exe, the
# installer and the uninstaller carry the program's icon and the exe not the tests' crash switch;
# the portable Korvane runs from a folder of its own; the silent installer puts the program, its
# shortcut and its uninstall entry in place; a newer installer closes the running older Korvane,
# replaces it and keeps the pins, the settings and the sign-in value; the installed Korvane shows
# its strip; the silent uninstaller ends it, removes everything it installed and the sign-in
# value, and keeps the user's pins and settings unless told to remove them, also when Korvane
# hangs.
# Runs in the test prefix on the X display of the ctest run.  Korvane is single-instance, so
# this test starts one Korvane at a time and first makes sure none runs.
# usage: package.sh BIN_DIR      (BIN_DIR holds window_info.exe)
set -euo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
. "$repo/scripts/env.sh"
. "$repo/tests/wait_for.sh"
export WINEPREFIX=$KORVANE_TEST_PREFIX

user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
appdata="$user_dir/AppData/Roaming/Korvane"
install="$user_dir/AppData/Local/Programs/Korvane"
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Korvane.lnk"
crashes="$user_dir/AppData/Local/Korvane/crashes"
portable="$WINEPREFIX/drive_c/Portable test"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
version=$(sed -n 's/^ *set(korvane_version \([0-9.]*\))/\1/p' "$repo/CMakeLists.txt")
old_version=0.0.1
icon_sizes="16 20 24 32 40 48 64 256"

work=$(mktemp -d)
korvane_pid='' strip_hwnd='' by_hand=''
# Wine's shell keeps the appbar of a Korvane ended by force, and the next strip in this Wine
# session would dock beside it.
forget_strip() { wine "$bin/window_info.exe" forget-appbar "$strip_hwnd" >/dev/null 2>&1 || true; }
cleanup() {
    if [ -n "$by_hand" ]; then  # an uninstaller left on screen: answer No, then Close
        dialog press "$IDNO"
        wait_for 30 dialog press 1
    fi
    if [ -n "$korvane_pid" ]; then
        kill -CONT "$korvane_pid" 2>/dev/null; kill "$korvane_pid" 2>/dev/null
        wait "$korvane_pid" 2>/dev/null
        forget_strip
    fi
    if [ -f "$install/Uninstall.exe" ]; then timeout 60 wine "$install/Uninstall.exe" /S /REMOVEUSERDATA >/dev/null 2>&1; fi
    rm -rf "$work" "$portable"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
window() { wine "$bin/window_info.exe" show "$1" 2>/dev/null | tr -d '\r'; }
no_korvane() { ! wine "$bin/window_info.exe" show KorvaneMain >/dev/null 2>&1; }
gone() { [ ! -e "$1" ]; }
korvane_ended() { ! kill -0 "$korvane_pid" 2>/dev/null; }
# reg_value KEY NAME: the value's data as reg prints it; fails when there is no such value.
reg_value() {
    local listing
    listing=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p" <<<"$listing"
}
IDYES=6 IDNO=7
# dialog find|press BUTTON_ID: the uninstaller's window, or its question, with that button.
dialog() { wine "$bin/window_info.exe" "$1" "Korvane Uninstall" "$2" >/dev/null 2>&1; }
crlf_only() { awk '!/\r$/ { bad = 1 } END { exit bad }' "$1"; }
md5() { md5sum < "$1"; }
icons_of() { wine "$bin/window_info.exe" icon-sizes "$1" 2>/dev/null | tr -d '\r'; }
crash_reports() { ls "$crashes" 2>/dev/null || true; }
# start_korvane EXE [ARGUMENT...]: starts it and waits for its docked strip, which must belong to
# that exe.
start_korvane() {
    wine "$@" >/dev/null 2>&1 &
    korvane_pid=$!
    local exe_win visible left top right bottom exe
    exe_win=$(winepath -w "$1" 2>/dev/null)
    wait_for 20 bash -c "[ \"\$(wine '$bin/window_info.exe' show KorvaneDock 2>/dev/null | tr -d '\r' | cut -d' ' -f1)\" = 1 ]" \
        || fail "no strip appeared for $exe_win"
    read -r visible left top right bottom strip_hwnd exe <<<"$(window KorvaneDock)"
    [ "$exe" = "$exe_win" ] || fail "the strip belongs to '$exe', not to $exe_win"
    # Docked right, full height.  Not necessarily at x 1920: a Korvane that an earlier test of
    # this Wine session ended by force leaves its appbar behind, and the strip docks beside it.
    [ "$visible" -eq 1 ] && [ "$right" -gt 960 ] && [ $((right - left)) -eq 76 ] && [ "$top" -eq 0 ] \
        && [ "$bottom" -eq 1080 ] || fail "the strip is at $left,$top-$right,$bottom, not docked at the right edge"
}
# stop_korvane_as_exit: closes the main window as the menu's Exit does; Korvane ends with 0.
stop_korvane_as_exit() {
    wine "$bin/window_info.exe" close KorvaneMain >/dev/null 2>&1 || fail "Korvane's main window was not found"
    wait_for 20 korvane_ended || fail "Korvane did not end when its main window was closed"
    local status=0
    wait "$korvane_pid" || status=$?
    korvane_pid=
    [ "$status" -eq 0 ] || fail "Korvane ended with $status"
}

wait_for 20 no_korvane || fail "another Korvane runs in the test prefix; this test needs it to itself"
[ ! -e "$install" ] || fail "Korvane is already installed in the test prefix ($install)"

# The packages: named by the CMake project version, which the exe's version resource carries, or
# by the version asked for; the exe is stripped and cannot be made to crash by the tests'
# switch; the exe, the installer and (below) the uninstaller show the program's icon; both
# packages hold the read-me, Korvane's licence and every licence notice.
[ "$version" != "$old_version" ] || fail "the project version is the test's older version $old_version"
# The release tree is built once for each version, and the older one only when it changed: it is
# made of nothing the newer installer is not made of but its version number (the packages are
# reproducible), so it is kept beside the release tree under the newer installer's hash and
# reused until that changes.  Building it moves the tree to the older version, so it comes after
# the unsigned and the signed build of the newer one (with a throw-away certificate; checked
# below).
unsigned_says=$("$repo/scripts/package" "$work/out")
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Korvane test signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/signer.key" -out "$work/signer.crt" 2>/dev/null || fail "openssl made no certificate"
KORVANE_SIGN_CERT="$work/signer.crt" KORVANE_SIGN_KEY="$work/signer.key" "$repo/scripts/package" "$work/signed" >/dev/null
setup="$work/out/Korvane-$version-setup.exe"
[ -f "$setup" ] || fail "no installer $setup"
old_packages="$repo/build/package-test/older-than-$(sha256sum < "$setup" | cut -c1-16)"
old_setup="$old_packages/Korvane-$old_version-setup.exe"
if [ ! -f "$old_setup" ]; then
    rm -rf "$repo/build/package-test"
    "$repo/scripts/package" --version "$old_version" "$old_packages" >/dev/null
fi
zip="$work/out/Korvane-$version-portable.zip"
[ -f "$old_setup" ] || fail "no installer $old_setup"
[ -f "$zip" ] || fail "no portable zip $zip"
mkdir -p "$work/zip"
unzip -q "$zip" -d "$work/zip"
packaged_exe="$work/zip/Korvane/Korvane.exe"
[ "$(strings -el "$packaged_exe" | grep -cx "$version")" -ge 2 ] || fail "Korvane.exe's version resource does not say $version"
x86_64-w64-mingw32-objdump -t "$packaged_exe" | grep -q "no symbols" || fail "the packaged Korvane.exe is not stripped"
! strings -el "$packaged_exe" | grep -q -- "--crash-for-test" || fail "the packaged Korvane.exe has the tests' crash switch"
[ "$(icons_of "$packaged_exe")" = "$icon_sizes" ] || fail "Korvane.exe's icon has the sizes '$(icons_of "$packaged_exe")'"
[ "$(icons_of "$setup")" = "$icon_sizes" ] || fail "the installer's icon has the sizes '$(icons_of "$setup")'"
expected=$(cd "$repo" && { echo Korvane.exe; echo README.txt; echo LICENSE.txt; echo THIRD-PARTY-NOTICES.txt; ls licenses/*.txt; } | sort)
[ "$(cd "$work/zip/Korvane" && find . -type f | sed 's|^\./||' | sort)" = "$expected" ] \
    || fail "the zip holds $(cd "$work/zip/Korvane" && find . -type f | tr '\n' ' ')"
for text in "$work/zip/Korvane"/*.txt "$work/zip/Korvane"/licenses/*.txt; do
    crlf_only "$text" || fail "${text#"$work/zip/"} has lines without Windows line ends"
done
for licence in "$repo"/licenses/*.txt; do
    grep -q "licenses/$(basename "$licence")" "$work/zip/Korvane/THIRD-PARTY-NOTICES.txt" \
        || fail "THIRD-PARTY-NOTICES does not refer to licenses/$(basename "$licence")"
done
grep -q "^Korvane $version" "$work/zip/Korvane/README.txt" || fail "the read-me does not name version $version"
grep -q "^Copyright (c) 2026 the Korvane developers" "$work/zip/Korvane/LICENSE.txt" || fail "LICENSE.txt is not Korvane's licence"
echo "ok: the installers of $old_version and $version and the zip, with a stripped exe and its icon, the read-me and the licences"

# SHA256SUMS names both packages, and their sums are right.
[ "$(cut -d' ' -f3- "$work/out/SHA256SUMS")" = "$(printf '%s\n' "${setup##*/}" "${zip##*/}")" ] \
    || fail "SHA256SUMS lists $(cut -d' ' -f3- "$work/out/SHA256SUMS" | tr '\n' ' ')"
(cd "$work/out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the packages"

# The manifest for Windows' package manager: the three files of a multi-file manifest, each with
# the fields its 1.6.0 schema requires, in the forms the schema allows, and the installer's
# hash.  (No registry package ships the schema itself.)  The product code is checked against
# the uninstall entry once installed.
manifest="$work/out/manifests/k/Korvane/Korvane/$version"
[ "$(ls "$manifest" 2>/dev/null | tr '\n' ' ')" = "Korvane.Korvane.installer.yaml Korvane.Korvane.locale.en-US.yaml Korvane.Korvane.yaml " ] \
    || fail "the manifest folder holds '$(ls "$manifest" 2>/dev/null | tr '\n' ' ')'"
# yaml FILE KEY: the value of KEY, at the top level or in a list item or mapping under it.
yaml() { sed -n "s/^\(- \|  \)\{0,1\}$2: //p" "$manifest/Korvane.Korvane$1.yaml"; }
identifier='^[^.[:space:]\\/:*?"<>|]{1,32}(\.[^.[:space:]\\/:*?"<>|]{1,32}){1,7}$'
installer_sha256=$(sha256sum < "$setup" | cut -d' ' -f1)
while IFS='|' read -r file key pattern; do
    value=$(yaml "$file" "$key")
    [[ $value =~ $pattern ]] || fail "Korvane.Korvane$file.yaml: $key is '$value', not /$pattern/"
done <<TABLE
|PackageIdentifier|$identifier
|PackageVersion|^$version\$
|DefaultLocale|^en-US\$
|ManifestType|^version\$
|ManifestVersion|^1\.6\.0\$
.installer|PackageIdentifier|^Korvane\.Korvane\$
.installer|PackageVersion|^$version\$
.installer|InstallerType|^nullsoft\$
.installer|Scope|^user\$
.installer|Silent|^/S\$
.installer|SilentWithProgress|^/S\$
.installer|ProductCode|^.{1,255}\$
.installer|Architecture|^x64\$
.installer|InstallerUrl|^[Hh][Tt][Tt][Pp][Ss]?://.+/${setup##*/}\$
.installer|InstallerSha256|^(${installer_sha256}|${installer_sha256^^})\$
.installer|ManifestType|^installer\$
.installer|ManifestVersion|^1\.6\.0\$
.locale.en-US|PackageIdentifier|^Korvane\.Korvane\$
.locale.en-US|PackageVersion|^$version\$
.locale.en-US|PackageLocale|^en-US\$
.locale.en-US|Publisher|^.{2,256}\$
.locale.en-US|PackageName|^Korvane\$
.locale.en-US|License|^.{3,512}\$
.locale.en-US|ShortDescription|^.{3,256}\$
.locale.en-US|ManifestType|^defaultLocale\$
.locale.en-US|ManifestVersion|^1\.6\.0\$
TABLE
# Only the YAML this reads: comments, "key: value" at the top or two deep, "key:" and list items.
for file in "$manifest"/*.yaml; do
    ! grep -Ev '^(#.*|[A-Za-z0-9]+:( .+)?|- [A-Za-z0-9]+(: .+)?|  [A-Za-z0-9]+: .+)$' "$file" \
        || fail "${file##*/} has lines outside the manifest's plain YAML"
done
product_code=$(yaml .installer ProductCode)
echo "ok: SHA256SUMS matches both packages; the manifest has the fields of its schema and the installer's SHA-256 $installer_sha256"

# Signed with the throw-away certificate, the exe, the installer and (below, once installed) the
# uninstaller verify; the unsigned build says it is unsigned, carries no signature, and its exe is
# the signed exe without its signature, byte for byte.
grep -q "unsigned" <<<"$unsigned_says" || fail "an unsigned build does not say so: $unsigned_says"
signed_setup="$work/signed/${setup##*/}"
signed_exe="$work/signed/stage/Korvane/Korvane.exe"
# no_signature FILE: the PE file's security directory, where a signature would be, is empty.
no_signature() { x86_64-w64-mingw32-objdump -p "$1" | grep -E '^Entry 4 0+ 0+ Security Directory$' >/dev/null; }
verifies() { osslsigncode verify -CAfile "$work/signer.crt" -in "$1" >/dev/null 2>&1; }
for file in "$packaged_exe" "$setup"; do
    no_signature "$file" || fail "the unsigned ${file##*/} has a signature"
done
verifies "$signed_exe" || fail "the signed Korvane.exe does not verify"
verifies "$signed_setup" || fail "the signed installer does not verify"
(cd "$work/signed" && sha256sum --quiet -c SHA256SUMS) || fail "the signed build's SHA256SUMS does not match it"
osslsigncode remove-signature -in "$signed_exe" -out "$work/signature-removed.exe" >/dev/null
cmp -s "$work/signature-removed.exe" "$packaged_exe" || fail "the signed Korvane.exe is not the unsigned one with a signature"
echo "ok: the signed exe and installer verify; the unsigned build is the signed one without signatures"

# The portable copy runs from a folder of its own, away from any installation, and the release
# exe runs on as usual when given the tests' crash switch.
rm -rf "$portable" "$appdata"
mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
reports_before=$(crash_reports)
start_korvane "$portable/Korvane/Korvane.exe" --crash-for-test
echo "ok: the zip's Korvane.exe runs from $(winepath -w "$portable/Korvane" 2>/dev/null), the crash switch refused"

# The silent installer (of the older version here) does not elevate and leaves a Korvane running
# from elsewhere alone.
timeout 120 wine "$old_setup" /S || fail "the silent installer failed with $?"
kill -0 "$korvane_pid" 2>/dev/null || fail "installing ended the portable Korvane"
stop_korvane_as_exit
[ "$(crash_reports)" = "$reports_before" ] || fail "the release exe wrote a crash report: $(crash_reports)"

# The older version runs from its installation with the user's pins and settings, and starts at
# sign-in.  Installing the newer one closes it as Exit would, replaces it, and keeps all three.
install_win=$(winepath -w "$install" 2>/dev/null)
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$old_version" ] || fail "DisplayVersion is not $old_version"
mkdir -p "$appdata"
printf 'KRVN\004\000\000\000\000\000\000\000' > "$appdata/pins.dat"
printf 'edge=right\r\nminimized=false\r\n' > "$appdata/settings.ini"
pins_before=$(md5 "$appdata/pins.dat") settings_before=$(md5 "$appdata/settings.ini")
run_data="\"$install_win\\Korvane.exe\""
wine reg add "$run_key" /v Korvane /t REG_SZ /d "$run_data" /f >/dev/null 2>&1
[ "$(reg_value "$run_key" Korvane)" = "$run_data" ] || fail "could not set the sign-in value"
start_korvane "$install/Korvane.exe"
[ "$(strings -el "$install/Korvane.exe" | grep -cx "$old_version")" -ge 2 ] || fail "the installed Korvane.exe is not $old_version"
timeout 120 wine "$setup" /S || fail "the newer silent installer failed with $?"
wait_for 20 korvane_ended || fail "installing the newer version left the older Korvane running"
status=0
wait "$korvane_pid" || status=$?
korvane_pid=
[ "$status" -eq 0 ] || fail "installing the newer version ended the older Korvane by force (status $status)"
cmp -s "$install/Korvane.exe" "$packaged_exe" || fail "the newer installer did not replace Korvane.exe"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "after the upgrade DisplayVersion is not $version"
[ "$(md5 "$appdata/pins.dat")" = "$pins_before" ] || fail "pins.dat did not survive the upgrade"
[ "$(md5 "$appdata/settings.ini")" = "$settings_before" ] || fail "settings.ini did not survive the upgrade"
[ "$(reg_value "$run_key" Korvane)" = "$run_data" ] || fail "the sign-in value did not survive the upgrade"
echo "ok: installing $version over a running $old_version closed it, replaced it, and kept the pins, settings and sign-in value"

for file in Korvane.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt Uninstall.exe $(cd "$repo" && ls licenses/*.txt); do
    [ -f "$install/$file" ] || fail "the installer did not put $file in $install_win"
done
cmp -s "$install/Korvane.exe" "$packaged_exe" || fail "the installed Korvane.exe is not the packaged one"
[ -f "$shortcut" ] || fail "no Start menu shortcut at $shortcut"
grep -aqF "$install_win\\Korvane.exe" "$shortcut" || fail "the shortcut does not point at $install_win\\Korvane.exe"
[ "$(reg_value "$uninstall_key" DisplayName)" = Korvane ] || fail "DisplayName is not Korvane"
[ "$(reg_value "${uninstall_key%\\*}\\$product_code" DisplayVersion)" = "$version" ] \
    || fail "the manifest's ProductCode $product_code names no uninstall entry of version $version"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "DisplayVersion is not $version"
[ -n "$(reg_value "$uninstall_key" Publisher)" ] || fail "no Publisher"
[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$install_win\\Uninstall.exe\"" ] || fail "UninstallString is wrong"
[ "$(reg_value "$uninstall_key" QuietUninstallString)" = "\"$install_win\\Uninstall.exe\" /S" ] || fail "QuietUninstallString is wrong"
[ "$(reg_value "$uninstall_key" InstallLocation)" = "$install_win" ] || fail "InstallLocation is wrong"
[ "$(reg_value "$uninstall_key" DisplayIcon)" = "\"$install_win\\Korvane.exe\",0" ] || fail "DisplayIcon is wrong"
[ "$(icons_of "$install/Uninstall.exe")" = "$icon_sizes" ] || fail "the uninstaller's icon has the sizes '$(icons_of "$install/Uninstall.exe")'"
[ "$(reg_value "$uninstall_key" NoModify)" = 0x1 ] || fail "NoModify is not 1"
[ "$(reg_value "$uninstall_key" NoRepair)" = 0x1 ] || fail "NoRepair is not 1"
size_kb=$(( $(reg_value "$uninstall_key" EstimatedSize) ))
[ "$size_kb" -ge $(( $(stat -c %s "$packaged_exe") / 1024 )) ] && [ "$size_kb" -lt 20000 ] \
    || fail "EstimatedSize $size_kb KB does not match the files installed"
echo "ok: the silent installer put Korvane in $install_win with its shortcut and uninstall entry ($size_kb KB)"

# The installed Korvane runs, with the user's pins and settings.
start_korvane "$install/Korvane.exe"
echo "ok: the installed Korvane shows its strip docked at the right"

# The silent uninstaller closes it as Exit would and removes what was installed, and keeps the
# pins, the settings and a crash report of an earlier run.  It runs on from a copy of itself, so
# wait for the folder to go.
mkdir -p "$crashes"
printf 'MDMP' > "$crashes/korvane-20200101-120000-4.dmp"
# What Wine says on the way is kept: a failure here once ended with code 1, which the
# uninstaller's own start-up never gives (it gives 0, or 2 when it cannot copy itself to TEMP).
timeout 60 wine "$install/Uninstall.exe" /S 2>"$work/uninstall.err" \
    || fail "the silent uninstaller failed with $?; Wine said: $(tail -5 "$work/uninstall.err")"
wait_for 60 gone "$install" || fail "the uninstaller left $(cd "$install" && find . | tr '\n' ' ')"
wait_for 20 korvane_ended || fail "the uninstaller left Korvane running"
status=0
wait "$korvane_pid" || status=$?
korvane_pid=
[ "$status" -eq 0 ] || fail "the uninstaller ended Korvane by force (status $status) instead of closing it"
gone "$shortcut" || fail "the uninstaller left the Start menu shortcut"
! reg_value "$uninstall_key" DisplayName >/dev/null || fail "the uninstaller left its uninstall entry"
! reg_value "$run_key" Korvane >/dev/null || fail "the uninstaller left the sign-in value"
[ "$(md5 "$appdata/pins.dat")" = "$pins_before" ] || fail "pins.dat did not survive the silent uninstall"
[ "$(md5 "$appdata/settings.ini")" = "$settings_before" ] || fail "settings.ini did not survive the silent uninstall"
[ -f "$crashes/korvane-20200101-120000-4.dmp" ] || fail "the silent uninstall removed the crash reports"
echo "ok: the silent uninstall closed Korvane, removed it, its shortcut, its entry and the sign-in value, and kept the pins and crash reports"

# Run by hand, the uninstaller asks before it removes the pins, the settings and the crash
# reports, and answered Yes, removes them.  Its window and its question share a title; the
# buttons tell them apart.  It comes from the signed installer: signed, it verifies and runs.
timeout 120 wine "$signed_setup" /S || fail "installing the signed build failed with $?"
verifies "$install/Uninstall.exe" || fail "the signed installer's uninstaller does not verify"
cmp -s "$install/Korvane.exe" "$signed_exe" || fail "the signed installer did not install the signed Korvane.exe"
wine "$install/Uninstall.exe" >/dev/null 2>&1 &
by_hand=1
wait_for 30 dialog press 1 || fail "the uninstaller's confirmation page did not appear"
wait_for 30 dialog find "$IDYES" || fail "the uninstaller did not ask about the pins and settings"
[ -f "$appdata/pins.dat" ] && [ -f "$appdata/settings.ini" ] || fail "the pins and settings went before the answer"
dialog press "$IDYES" || fail "could not answer Yes"
wait_for 60 gone "$install" || fail "the uninstaller run by hand left $install"
wait_for 30 dialog press 1 || fail "the uninstaller's Close button did not become available"
by_hand=''
gone "$appdata" || fail "answered Yes, the uninstaller left $appdata"
gone "$crashes" || fail "answered Yes, the uninstaller left $crashes"
gone "$shortcut" || fail "the uninstaller run by hand left the shortcut"
echo "ok: the signed installer's uninstaller verifies and, run by hand, asked before removing the pins, settings and crash reports, and removed them on Yes"

# A Korvane that does not answer (stopped here) is ended by force; /REMOVEUSERDATA also removes
# the pins, the settings and the crash reports, and keeps a sign-in value that starts a portable copy.
timeout 120 wine "$setup" /S || fail "installing again failed with $?"
portable_run="\"C:\\Portable test\\Korvane.exe\""
wine reg add "$run_key" /v Korvane /t REG_SZ /d "$portable_run" /f >/dev/null 2>&1
mkdir -p "$appdata" "$crashes"
printf 'edge=right\r\nminimized=false\r\n' > "$appdata/settings.ini"
printf 'MDMP' > "$crashes/korvane-20200101-120000-4.dmp"
start_korvane "$install/Korvane.exe"
kill -STOP "$korvane_pid"
timeout 90 wine "$install/Uninstall.exe" /S /REMOVEUSERDATA || fail "the silent uninstaller failed with $?"
wait_for 60 gone "$install" || fail "the uninstaller left $install with a hung Korvane"
wait_for 20 korvane_ended || fail "the uninstaller did not end the hung Korvane"
status=0
wait "$korvane_pid" || status=$?
korvane_pid=
forget_strip
[ "$status" -ne 0 ] || fail "the stopped Korvane reports a clean exit"
no_korvane || fail "the hung Korvane's windows are still there"
gone "$appdata" || fail "/REMOVEUSERDATA left $appdata"
gone "$crashes" || fail "/REMOVEUSERDATA left $crashes"
[ "$(reg_value "$run_key" Korvane)" = "$portable_run" ] || fail "the uninstaller removed the sign-in value of a portable copy"
wine reg delete "$run_key" /v Korvane /f >/dev/null 2>&1
echo "ok: the uninstaller ended a hung Korvane and, asked to, removed the pins, settings and crash reports, and kept a portable copy's sign-in value"
