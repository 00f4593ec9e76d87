#!/usr/bin/env bash
# Makes the .deb from the build folder $1, unpacks it into a temporary root
# and checks what a user's system would get: the files, that the desktop
# entry, metainfo and man page pass their checkers, dependencies found from
# the linked libraries, and a program that runs.
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; exit 1; }
deb=$(ls "$work"/out/tavimo_*.deb)
dpkg-deb -x "$deb" "$work/root" || { fail "unpack"; exit 1; }
root=$work/root/usr

# file | what it is
while IFS='|' read -r file what; do
    [ -s "$root/$file" ] || fail "$what: $file missing"
done <<'ROWS'
bin/tavimo|the program
share/applications/tavimo.desktop|desktop entry (the id Register Filetype writes too)
share/icons/hicolor/scalable/apps/tavimo.svg|scalable icon
share/icons/hicolor/48x48/apps/tavimo.png|48 pixel icon
share/icons/hicolor/256x256/apps/tavimo.png|256 pixel icon
share/metainfo/com.orvenic.tavimo.metainfo.xml|AppStream metainfo
share/man/man1/tavimo.1|man page
share/doc/tavimo/ReadMe.txt|the guide Help opens (../share/doc/tavimo beside the program)
ROWS

for size in 48 256; do
    got=$(identify -format '%wx%h' "$root/share/icons/hicolor/${size}x${size}/apps/tavimo.png" 2>&1)
    [ "$got" = "${size}x${size}" ] || fail "icon ${size}: $got"
done

desktop-file-validate "$root/share/applications/tavimo.desktop" || fail "desktop-file-validate"
# key | value the entry must hold
while IFS='|' read -r key value; do
    grep -q "^$key=.*$value" "$root/share/applications/tavimo.desktop" || fail "desktop entry $key lacks $value"
done <<'ROWS'
Exec|tavimo %f
Categories|AudioVideo;Video;Player;
MimeType|video/mp4;
MimeType|video/x-matroska;
MimeType|application/x-subrip;
Icon|tavimo
ROWS
appstreamcli validate --no-net "$root/share/metainfo/com.orvenic.tavimo.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log"; fail "appstreamcli validate"; }
warnings=$(groff -t -man -Tutf8 -ww -z "$root/share/man/man1/tavimo.1" 2>&1)
[ -z "$warnings" ] || fail "man page: $warnings"

# Dependencies: the linked libraries (dpkg-shlibdeps) and the plugins.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6dbus6 libgstreamer1.0-0 libc6 gstreamer1.0-plugins-good libqt6svg6; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

version=$("$root/bin/tavimo" --version 2>&1)
[ "$version" = "Tavimo $(dpkg-deb -f "$deb" Version)" ] || fail "tavimo --version said: $version"

[ "$failures" -eq 0 ] && echo "package checks passed: $deb"
exit $((failures > 0))
