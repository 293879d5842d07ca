#!/usr/bin/env bash
# Builds the Debian package and installs it into a fresh root: the files, the control data,
# the capabilities the post-install script gives (and withholds under dpkg-statoverride),
# the desktop entry, the metainfo and the man pages. Usage: package_test.sh <build_dir>
set -euo pipefail
build=$(cd "$1" && pwd)
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps dpkg-statoverride desktop-file-validate appstreamcli gzip; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/orxboot_*.deb)

id=io.github.orxboot.OrxBoot
expected=$(printf './usr/%s\n' bin/{orx-mkimage,orxboot,orxunit} \
  lib/udev/rules.d/60-orxboot-serial.rules share/applications/$id.desktop \
  share/doc/orxboot/{README.md,orxboot.service} share/icons/hicolor/scalable/apps/$id.svg \
  share/man/man1/{orx-mkimage,orxboot,orxunit}.1.gz share/metainfo/$id.metainfo.xml)
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$files" = "$expected" ] || fail "file list differs:$(diff <(echo "$expected") <(echo "$files") | grep '^[<>]')"

[ "$(dpkg-deb -f "$deb" Package)" = orxboot ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in net-tools libcap2-bin libqt6core6 libc6; do
  [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done

# A fresh root; the maintainer scripts run outside it with DPKG_ROOT pointing at it.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
install_deb() {
  dpkg --root="$root" --force-script-chrootless --force-depends --force-not-root \
    --log=/dev/null -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
}
install_deb
for f in $expected; do [ -f "$root/${f#./}" ] || fail "not installed: $f"; done
if [ "$(id -u)" = 0 ] && command -v getcap >/dev/null; then
  caps=$(getcap "$root/usr/bin/orxboot" | awk '{print $2}')
  [ "$caps" = cap_net_bind_service,cap_net_raw=ep ] || fail "capabilities after install: '$caps'"
  grep -q 'setcap -r /usr/bin/orxboot' "$work/dpkg.log" || fail "install does not say how to undo"
  # An administrator's override keeps the program without capabilities across a reinstall.
  dpkg-statoverride --root "$root" --force-not-root --add root root 0755 /usr/bin/orxboot
  install_deb
  caps=$(getcap "$root/usr/bin/orxboot")
  [ -z "$caps" ] || fail "capabilities despite dpkg-statoverride: $caps"
else
  echo "note: not root, the capabilities are not checked"
fi

share=$root/usr/share
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
icon=$(sed -n 's/^Icon=//p' "$share/applications/$id.desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 || {
  cat "$work/as.log"; fail "appstreamcli validate"; }
for page in "$share"/man/man1/*.1.gz; do
  text=$(gzip -dc "$page") || fail "not gzip: $page"
  ! grep -q '@[A-Z_]*@' <<<"$text" || fail "unfilled placeholder in $page"
  if command -v groff >/dev/null; then
    warn=$(groff -man -ww -z <<<"$text" 2>&1)
    [ -z "$warn" ] || fail "$page: $warn"
  fi
done

dpkg --root="$root" --force-script-chrootless --force-not-root --log=/dev/null -r orxboot \
  >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
left=$(find "$root/usr" -type f 2>/dev/null || true)
[ -z "$left" ] || fail "left after removal: $left"

[ "$failures" = 0 ] || exit 1
echo "ok: $(basename "$deb"), $(echo "$expected" | wc -l) files"
