#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package of a finished build: made by CPack from that build (nothing is compiled
# again), unpacked into a temporary root, checked for every file an installation needs, its
# desktop entries and AppStream file validated, and both programs run from the unpacked root,
# where they must find their data under usr/share/kestrow.
#   PackageTest.sh BUILD_FOLDER VERSION
set -uo pipefail

build=$1
version=$2
id=org.example.Kestrow
# Hang guard only: how long kestrow may take to initialise its window.
guard_seconds=60

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
need() { # <path relative to the unpacked root>...
    local file
    for file in "$@"; do
        [ -f "$root/$file" ] || fail "the package lacks $file"
    done
}

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "FAILED: $tool is missing (scripts/deps installs it)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/package-test.XXXXXX")
kestrow_pid=""
cleanup() {
    [ -n "$kestrow_pid" ] && kill "$kestrow_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# -- the package ------------------------------------------------------------------------------
if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAILED: cpack could not make the package" >&2
    exit 1
fi
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAILED: no single .deb in ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
[ "$(basename "$deb")" = "kestrow_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "the package file is named $(basename "$deb")"

[ "$(dpkg-deb -f "$deb" Package)" = kestrow ] || fail "Package is $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libqt6network6 libudev1 libstdc++6; do
    [[ $depends == *"$library "* || $depends == *"$library," || $depends == *"$library" ]] ||
        fail "Depends lacks $library: $depends"
done
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no Description"

dpkg-deb -e "$deb" "$work/control"
# The maintainer scripts, run against a udevadm that records its calls (and fails, as it does
# where udev does not run: the scripts must not).
mkdir -p "$work/fake-bin"
cat >"$work/fake-bin/udevadm" <<FAKE
#!/bin/sh
echo "\$*" >>"$work/udevadm.calls"
exit 1
FAKE
chmod +x "$work/fake-bin/udevadm"
udev_calls() { # <script> <argument>: the udevadm calls the script makes
    rm -f "$work/udevadm.calls"
    PATH="$work/fake-bin:/usr/bin:/bin" sh "$work/control/$1" "$2" || echo "exit status $?"
    cat "$work/udevadm.calls" 2>/dev/null
}
reload_and_trigger=$'control --reload-rules\ntrigger --subsystem-match=hidraw --action=change'
for script in postinst postrm; do
    [ -x "$work/control/$script" ] || fail "no executable $script"
done
[ "$(udev_calls postinst configure)" = "$reload_and_trigger" ] ||
    fail "postinst configure: $(udev_calls postinst configure)"
[ "$(udev_calls postrm remove)" = "$reload_and_trigger" ] ||
    fail "postrm remove: $(udev_calls postrm remove)"
for step in upgrade purge; do
    [ -z "$(udev_calls postrm $step)" ] || fail "postrm $step: $(udev_calls postrm $step)"
done
grep -qx "/etc/xdg/autostart/$id.desktop" "$work/control/conffiles" ||
    fail "the autostart entry is not a conffile"
# Everything belongs to root, whoever made the package.
if dpkg-deb -c "$deb" | awk '{ print $2 }' | grep -qv '^root/root$'; then
    fail "files not owned by root/root"
fi

# -- its files --------------------------------------------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"
need usr/bin/kestrow usr/bin/kestrowctl \
    usr/share/kestrow/Lang0416.ini usr/share/kestrow/Lang0409.ini usr/share/kestrow/Lang0000.ini \
    usr/share/kestrow/Help/index.html usr/share/kestrow/Skins/UserDengColor_3.userd \
    usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
    usr/share/man/man1/kestrow.1.gz usr/share/man/man1/kestrowctl.1.gz \
    usr/lib/udev/rules.d/60-kestrow.rules etc/xdg/autostart/$id.desktop \
    usr/share/doc/kestrow/copyright usr/share/doc/kestrow/changelog.gz
[ -x "$root/usr/bin/kestrow" ] && [ -x "$root/usr/bin/kestrowctl" ] || fail "the programs are not executable"
# Every skin file the build drew.
(cd "$build/bin/Skins" && find . -type f \( -name '*.ini' -o -name '*.jpg' -o -name '*.bmp' -o -name '*.png' \)) |
    while read -r file; do
        [ -f "$root/usr/share/kestrow/Skins/$file" ] || echo "$file"
    done >"$work/missing-skins"
[ -s "$work/missing-skins" ] && fail "skin files missing: $(tr '\n' ' ' <"$work/missing-skins")"
# The icon the entries name, at the usual sizes.
for size in 16 22 24 32 48 64 128 256; do
    need "usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
done
for entry in usr/share/applications/$id.desktop etc/xdg/autostart/$id.desktop; do
    grep -qx "Icon=$id" "$root/$entry" || fail "$entry names another icon"
done
grep -qx 'Exec=kestrow /Start' "$root/etc/xdg/autostart/$id.desktop" ||
    fail "the autostart entry does not start kestrow /Start"
grep -q 'SUBSYSTEM=="hidraw".*TAG+="uaccess"' "$root/usr/lib/udev/rules.d/60-kestrow.rules" ||
    fail "the udev rule does not open the hidraw nodes to the seat's user"
for page in kestrow kestrowctl; do
    gzip -t "$root/usr/share/man/man1/$page.1.gz" || fail "$page.1.gz is no gzip file"
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH' || fail "$page.1 is no man page"
done
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$root/usr/share/doc/kestrow/copyright" || fail "the copyright file is not machine-readable"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream file names no GPL-3.0-or-later licence"

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate: the menu entry"
desktop-file-validate "$root/etc/xdg/autostart/$id.desktop" || fail "desktop-file-validate: the autostart entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli validate: the metainfo file"; }

# -- both programs, run from the unpacked root ------------------------------------------------
home=$work/home
mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
run_env=(env -i PATH=/usr/bin:/bin HOME="$home" LANG=C XDG_CONFIG_HOME="$home/config"
    XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state" XDG_RUNTIME_DIR="$home/runtime"
    TMPDIR="$work" QT_QPA_PLATFORM=offscreen)

if "${run_env[@]}" "$root/usr/bin/kestrowctl" --simulate info >"$work/info.out" 2>"$work/info.err"; then
    # Effect names come from the language files: "#Error" would mean they were not found.
    grep -q '^Effects:' "$work/info.out" || fail "kestrowctl info printed no effect list"
    grep -q '#Error' "$work/info.out" && fail "kestrowctl did not find its language files"
    grep -qi 'wave' "$work/info.out" || fail "kestrowctl info names no effect in English under LANG=C"
else
    fail "kestrowctl --simulate info failed: $(cat "$work/info.err")"
fi
"${run_env[@]}" "$root/usr/bin/kestrowctl" --version | grep -q 'GPL version 3 or later' ||
    fail "kestrowctl --version names no licence"

report=$work/report
"${run_env[@]}" KESTROW_REPORT_READY="$report" "$root/usr/bin/kestrow" /Start --simulate \
    >"$work/kestrow.out" 2>&1 &
kestrow_pid=$!
waited=0
until grep -q '^ready ' "$report" 2>/dev/null; do
    if ! kill -0 "$kestrow_pid" 2>/dev/null; then
        fail "kestrow ended before its window was initialised (a missing skin ends it so): $(cat "$work/kestrow.out")"
        break
    fi
    if [ "$waited" -ge $((guard_seconds * 10)) ]; then
        fail "kestrow did not initialise its window"
        break
    fi
    sleep 0.1
    waited=$((waited + 1))
done
if grep -q '^ready ' "$report" 2>/dev/null; then
    "${run_env[@]}" "$root/usr/bin/kestrow" /Kill || fail "kestrow /Kill failed"
    wait "$kestrow_pid"
    status=$?
    kestrow_pid=""
    [ "$status" -eq 0 ] || fail "kestrow ended with $status"
    grep -q '^closed' "$report" || fail "kestrow did not close its window"
fi
"${run_env[@]}" "$root/usr/bin/kestrow" --version | grep -q 'GPL version 3 or later' ||
    fail "kestrow --version names no licence"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package $(basename "$deb"): every check passed"
